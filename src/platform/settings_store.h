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
    // False when the value could not be stored. A store that writes later
    // answers that it took the value, which it reads back meanwhile.
    virtual bool Write(const std::string& name, const std::string& value) = 0;
    // Waits until every value taken is stored: for the program's end.
    virtual void EndWrites() {}
};

} // namespace tarnwick::platform
