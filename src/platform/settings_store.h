// The per-user settings: named text values in one place of their own (the
// registry key of the program on Windows, a settings file elsewhere).
#pragma once

#include <optional>
#include <string>

namespace tarnwick::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or none when it is missing or cannot be read.
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    // False when the value could not be stored.
    virtual bool Write(const std::string& name, const std::string& value) = 0;
};

} // namespace tarnwick::platform
