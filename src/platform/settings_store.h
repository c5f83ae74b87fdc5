// The per-user and per-machine settings store, shaped after the registry:
// keys addressed by paths below a root, each holding named text values and an
// unnamed default value (the empty name). Every operation answers a result
// code: 0 success, 5 access denied, anything else a failure.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::platform {

// An open key: one of the roots below, or a handle that OpenKey or CreateKey
// gave out and that CloseKey takes back.
using KeyHandle = uint32_t;

inline constexpr KeyHandle kCurrentUserRoot = 0x80000001u;
inline constexpr KeyHandle kLocalMachineRoot = 0x80000002u;

// Access masks
inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr uint32_t kKeyDelete = 0x10000;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kKeyWriteAccess = kKeySetValue | kKeyCreateSubKey | kKeyDelete;

// Result codes
inline constexpr long kStoreSuccess = 0;
inline constexpr long kStoreNotFound = 2;
inline constexpr long kStoreAccessDenied = 5;
inline constexpr long kStoreInvalidHandle = 6;
inline constexpr long kStoreInvalidParameter = 87;
inline constexpr long kStoreBadPath = 161;
inline constexpr long kStoreMoreData = 234;
inline constexpr long kStoreCannotWrite = 1013;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the existing key `sub_path` ("\" between levels; empty for
    // `parent` itself) with the access mask.
    virtual long OpenKey(KeyHandle parent, const std::string& sub_path, uint32_t access,
                         KeyHandle& key) = 0;
    // Opens the key, creating it and any missing levels first.
    virtual long CreateKey(KeyHandle parent, const std::string& sub_path, uint32_t access,
                           KeyHandle& key) = 0;
    // The size in bytes of a value's data; a text value counts its
    // terminating NUL.
    virtual long QueryValueSize(KeyHandle key, const std::string& name, uint32_t& size) = 0;
    // The value's data (a text value with its terminating NUL) when it fits
    // in `buffer_size` bytes; kStoreMoreData when it does not.
    virtual long QueryValue(KeyHandle key, const std::string& name, uint32_t buffer_size,
                            std::string& data) = 0;
    virtual long SetTextValue(KeyHandle key, const std::string& name, const std::string& value) = 0;
    virtual long DeleteValue(KeyHandle key, const std::string& name) = 0;
    // Deletes the key `sub_path` below `parent`; a key with subkeys is refused.
    virtual long DeleteKey(KeyHandle parent, const std::string& sub_path) = 0;
    virtual long CloseKey(KeyHandle key) = 0;
};

} // namespace tarnwick::platform
