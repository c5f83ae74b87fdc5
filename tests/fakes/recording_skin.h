// A skin player that records every variable write in order, answers reads
// from what was written (or set up), and plays commands to its listener.
#pragma once

#include "platform/skin_player.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::fakes {

class RecordingSkin : public platform::SkinPlayer {
public:
    struct Write {
        std::string path;
        std::string value;
        bool operator==(const Write&) const = default;
    };

    void SetVariable(const std::string& path, const std::string& value) override {
        if (on_write) on_write(Write{path, value});
        writes.push_back({path, value});
        variables[path] = value;
    }
    std::string GetVariable(const std::string& path) override {
        const auto found = variables.find(path);
        return found == variables.end() ? std::string() : found->second;
    }
    void SetCommandListener(platform::SkinCommandListener* listener) override {
        this->listener = listener;
    }

    std::optional<platform::Rect> GridArea() override { return grid_area; }
    void SetLayoutListener(platform::SkinLayoutListener* listener) override {
        layout_listener = listener;
    }

    // Plays the movie sending a command.
    void SendCommand(const std::string& command, const std::string& args) {
        if (listener) listener->OnSkinCommand(command, args);
    }

    std::vector<Write> writes;
    std::map<std::string, std::string> variables;
    // Called before each accepted write is recorded.
    std::function<void(const Write&)> on_write;
    platform::SkinCommandListener* listener = nullptr;
    std::optional<platform::Rect> grid_area;
    platform::SkinLayoutListener* layout_listener = nullptr;
};

} // namespace tarnwick::fakes
