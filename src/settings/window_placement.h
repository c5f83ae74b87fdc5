// Where the user left the main window: its place and size while neither
// maximised nor minimised, and whether it was maximised.
#pragma once

#include "platform/rect.h"
#include "platform/settings_store.h"

#include <optional>

namespace tarnwick::settings {

struct WindowPlacement {
    platform::Rect normal;
    bool maximized = false;
    bool operator==(const WindowPlacement&) const = default;
};

// The stored placement; none when there is none or its place and size do not
// read as four whole numbers with a size above zero.
std::optional<WindowPlacement> LoadWindowPlacement(platform::SettingsStore& store);

void SaveWindowPlacement(platform::SettingsStore& store, const WindowPlacement& placement);

} // namespace tarnwick::settings
