// A rectangle in pixels: on the desktop, or inside a window.
#pragma once

namespace tarnwick::platform {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

} // namespace tarnwick::platform
