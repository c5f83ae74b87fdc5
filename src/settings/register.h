// Reads, writes and deletes text values below a root of the settings store.
// Holds no state: create one for each access and release it afterwards.
// Failures show only in the results; nothing is raised.
#pragma once

#include "platform/settings_store.h"

#include <string>

namespace tarnwick::settings {

class CRegister {
public:
    explicit CRegister(platform::SettingsStore& store) : store_(store) {}

    // With a value name: deletes that value of the key `sSection` ("*" names
    // the default value). With an empty name: deletes the key `sSection`
    // itself, taken as given, which fails when the key has subkeys.
    bool REGDeleteSetting(platform::KeyHandle regHKEY, const std::string& sSection,
                          const std::string& sKey);
    // The stored text, or `sDefault` when it cannot be read.
    std::string REGGetSetting(platform::KeyHandle regHKEY, const std::string& sSection,
                              const std::string& sKey, const std::string& sDefault);
    // Writes the text, creating the key and any missing levels. True when
    // the value was written.
    bool REGSaveSetting(platform::KeyHandle regHKEY, const std::string& sSection,
                        const std::string& sKey, const std::string& sValue);

private:
    // The path without one leading and one trailing "\".
    static std::string TrimKeyPath(const std::string& path);
    // The store's name for the value `sKey`: "*" is the default value.
    static std::string ValueName(const std::string& sKey);
    std::string ReadValue(platform::KeyHandle key, const std::string& name,
                          const std::string& sDefault);

    platform::SettingsStore& store_;
};

} // namespace tarnwick::settings
