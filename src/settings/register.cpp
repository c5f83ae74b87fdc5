#include "settings/register.h"

namespace tarnwick::settings {
namespace {

using platform::KeyHandle;

// Closes an open key when the access ends, however it ends.
class KeyCloser {
public:
    KeyCloser(platform::SettingsStore& store, KeyHandle key) : store_(store), key_(key) {}
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;
    ~KeyCloser() {
        try {
            store_.CloseKey(key_);
        } catch (...) {
        }
    }

private:
    platform::SettingsStore& store_;
    KeyHandle key_;
};

} // namespace

std::string CRegister::TrimKeyPath(const std::string& path) {
    std::string trimmed = path;
    if (!trimmed.empty() && trimmed.front() == '\\') trimmed.erase(0, 1);
    if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    return trimmed;
}

std::string CRegister::ValueName(const std::string& sKey) { return sKey == "*" ? "" : sKey; }

std::string CRegister::REGGetSetting(KeyHandle regHKEY, const std::string& sSection,
                                     const std::string& sKey, const std::string& sDefault) {
    try {
        const std::string path = TrimKeyPath(sSection);
        KeyHandle key = 0;
        long result = store_.OpenKey(regHKEY, path, platform::kKeyAllAccess, key);
        if (result == platform::kStoreAccessDenied) {
            result = store_.OpenKey(regHKEY, path, platform::kKeyRead, key);
        }
        if (result != platform::kStoreSuccess) return sDefault;
        KeyCloser closer(store_, key);
        return ReadValue(key, ValueName(sKey), sDefault);
    } catch (...) {
        return sDefault;
    }
}

std::string CRegister::ReadValue(KeyHandle key, const std::string& name,
                                 const std::string& sDefault) {
    uint32_t size = 0;
    if (store_.QueryValueSize(key, name, size) != platform::kStoreSuccess || size == 0) {
        return sDefault;
    }
    std::string data;
    if (store_.QueryValue(key, name, size, data) != platform::kStoreSuccess) return sDefault;
    // A text's data ends with its terminating NUL, which is not part of it.
    if (data.size() > size) data.resize(size);
    if (!data.empty() && data.back() == '\0') data.pop_back();
    return data;
}

bool CRegister::REGSaveSetting(KeyHandle regHKEY, const std::string& sSection,
                               const std::string& sKey, const std::string& sValue) {
    try {
        KeyHandle key = 0;
        if (store_.CreateKey(regHKEY, TrimKeyPath(sSection), platform::kKeyAllAccess, key) !=
            platform::kStoreSuccess) {
            return false;
        }
        KeyCloser closer(store_, key);
        return store_.SetTextValue(key, ValueName(sKey), sValue) == platform::kStoreSuccess;
    } catch (...) {
        return false;
    }
}

bool CRegister::REGDeleteSetting(KeyHandle regHKEY, const std::string& sSection,
                                 const std::string& sKey) {
    try {
        const bool delete_value = !sKey.empty();
        KeyHandle key = 0;
        const std::string path = delete_value ? TrimKeyPath(sSection) : std::string();
        if (store_.OpenKey(regHKEY, path, platform::kKeyAllAccess, key) !=
            platform::kStoreSuccess) {
            return false;
        }
        KeyCloser closer(store_, key);
        const long result = delete_value ? store_.DeleteValue(key, ValueName(sKey))
                                         : store_.DeleteKey(key, sSection);
        return result == platform::kStoreSuccess;
    } catch (...) {
        return false;
    }
}

} // namespace tarnwick::settings
