// The settings store on QSettings. Elsewhere than on Windows each root is one
// INI file (the current user's in the standard configuration folder, the
// machine's in the system one) with a group for each key path and "*" for a
// key's default value; a damaged file reads as empty and is set aside, not
// overwritten, by the next write. On Windows the roots are the registry's
// own. Every write is synced at once, through a temporary file that replaces
// the old one.
#pragma once

#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

#include <map>
#include <utility>

namespace tarnwick::platform::qt {

struct SettingsLocation {
    // The INI file, or on Windows the registry root ("HKEY_CURRENT_USER").
    QString path;
    QSettings::Format format = QSettings::IniFormat;
    // Never written through this store, even when the file could be.
    bool read_only = false;
};

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore(SettingsLocation user, SettingsLocation machine)
        : user_(std::move(user)), machine_(std::move(machine)) {}
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    // The program's stores at their standard places.
    static SettingsLocation UserLocation();
    static SettingsLocation MachineLocation();

    long OpenKey(KeyHandle parent, const std::string& sub_path, uint32_t access,
                 KeyHandle& key) override;
    long CreateKey(KeyHandle parent, const std::string& sub_path, uint32_t access,
                   KeyHandle& key) override;
    long QueryValueSize(KeyHandle key, const std::string& name, uint32_t& size) override;
    long QueryValue(KeyHandle key, const std::string& name, uint32_t buffer_size,
                    std::string& data) override;
    long SetTextValue(KeyHandle key, const std::string& name, const std::string& value) override;
    long DeleteValue(KeyHandle key, const std::string& name) override;
    long DeleteKey(KeyHandle parent, const std::string& sub_path) override;
    long CloseKey(KeyHandle key) override;

private:
    struct Key {
        const SettingsLocation* location = nullptr;
        QString group; // "/" between levels; empty for the root
        uint32_t access = 0;
    };

    long Find(KeyHandle handle, Key& key) const;
    long Below(KeyHandle parent, const std::string& sub_path, Key& key) const;
    KeyHandle Register(const Key& key);
    long ReadText(const Key& key, const std::string& name, QByteArray& text) const;

    SettingsLocation user_;
    SettingsLocation machine_;
    std::map<KeyHandle, Key> open_;
    KeyHandle next_handle_ = 1;
};

} // namespace tarnwick::platform::qt
