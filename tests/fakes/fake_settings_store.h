// A settings store in memory that logs every write and can refuse them.
#pragma once

#include "platform/settings_store.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::fakes {

class FakeSettingsStore : public platform::SettingsStore {
public:
    std::optional<std::string> Read(const std::string& name) override {
        const auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    bool Write(const std::string& name, const std::string& value) override {
        writes.emplace_back(name, value);
        if (refuse_writes) return false;
        values[name] = value;
        return true;
    }

    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> writes;
    bool refuse_writes = false;
};

} // namespace tarnwick::fakes
