#include "shell/window_layout.h"

#include <algorithm>

namespace tarnwick::shell {
namespace {

// `length` at `start`, moved to lie between `low` and `low + room`; a length
// above the room starts at `low`.
int FitOneWay(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

WindowLayout::WindowLayout(WindowLayoutServices services)
    : s_(services), store_timer_(s_.clock.NewTimer([this] { Store(); })) {}

WindowLayout::~WindowLayout() {
    s_.window.SetGeometryListener(nullptr);
    s_.skin.SetLayoutListener(nullptr);
}

void WindowLayout::Restore() {
    if (const std::optional<settings::WindowPlacement> stored = s_.settings.StoredWindow()) {
        s_.window.SetNormalGeometry(
            FitInto(stored->normal, s_.window.AvailableArea(stored->normal)));
        if (stored->maximized) s_.window.SetMaximized(true);
    }
    s_.window.SetGeometryListener(this);
}

void WindowLayout::PlaceGrid() {
    const platform::Rect area =
        s_.skin.GridArea().value_or(platform::Rect{kGridLeft, kGridTop, kGridWidth, kGridHeight});
    s_.window.PlaceGrid(area.left, area.top, area.width, area.height);
    s_.skin.SetLayoutListener(this);
}

void WindowLayout::Store() {
    store_timer_->Stop();
    s_.settings.StoreWindow({s_.window.NormalGeometry(), s_.window.IsMaximized()});
}

platform::Rect WindowLayout::FitInto(const platform::Rect& wanted, const platform::Rect& area) {
    // The least size gives way to a screen smaller than it (a large scale).
    const int width = std::min(std::max(kWindowWidth, wanted.width), area.width);
    const int height = std::min(std::max(kWindowHeight, wanted.height), area.height);
    return {FitOneWay(wanted.left, width, area.left, area.width),
            FitOneWay(wanted.top, height, area.top, area.height), width, height};
}

} // namespace tarnwick::shell
