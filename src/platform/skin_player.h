// The skin player: the movie that covers the main window, its named variables
// ("_root." and a name, text values) and the commands it sends.
#pragma once

#include "platform/rect.h"

#include <optional>
#include <string>

namespace tarnwick::platform {

// Receives each command the movie sends, on the user-interface thread.
class SkinCommandListener {
public:
    virtual ~SkinCommandListener() = default;
    virtual void OnSkinCommand(const std::string& command, const std::string& args) = 0;
};

// Hears when the skin moves the room it leaves for the download grid.
class SkinLayoutListener {
public:
    virtual ~SkinLayoutListener() = default;
    virtual void OnGridAreaChanged() = 0;
};

class SkinPlayer {
public:
    virtual ~SkinPlayer() = default;
    virtual void SetVariable(const std::string& path, const std::string& value) = 0;
    // The variable's current value as text.
    virtual std::string GetVariable(const std::string& path) = 0;
    // nullptr removes the listener.
    virtual void SetCommandListener(SkinCommandListener* listener) = 0;
    // Where the skin leaves room for the download grid, in the window's
    // pixels; none when the skin does not tell.
    virtual std::optional<Rect> GridArea() = 0;
    // nullptr removes the listener.
    virtual void SetLayoutListener(SkinLayoutListener* listener) = 0;
};

} // namespace tarnwick::platform
