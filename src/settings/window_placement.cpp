#include "settings/window_placement.h"

#include "settings/application_settings.h"
#include "settings/setting_names.h"

#include <array>
#include <charconv>
#include <string>

namespace tarnwick::settings {
namespace {

// "left,top,width,height", each a whole number, nothing else.
std::optional<platform::Rect> ParseGeometry(const std::string& text) {
    std::array<int, 4> numbers{};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            if (at == end || *at != ',') return std::nullopt;
            ++at;
        }
        const auto [stop, error] = std::from_chars(at, end, numbers[i]);
        if (error != std::errc()) return std::nullopt;
        at = stop;
    }
    if (at != end) return std::nullopt;
    const platform::Rect rect{numbers[0], numbers[1], numbers[2], numbers[3]};
    if (rect.width <= 0 || rect.height <= 0) return std::nullopt;
    return rect;
}

} // namespace

std::optional<WindowPlacement> LoadWindowPlacement(platform::SettingsStore& store) {
    const std::optional<std::string> geometry = store.Read(kWindowGeometrySetting);
    if (!geometry) return std::nullopt;
    const std::optional<platform::Rect> normal = ParseGeometry(*geometry);
    if (!normal) return std::nullopt;
    const std::optional<std::string> maximized = store.Read(kWindowMaximizedSetting);
    return WindowPlacement{*normal, maximized && ParseTruthText(*maximized).value_or(false)};
}

void SaveWindowPlacement(platform::SettingsStore& store, const WindowPlacement& placement) {
    const platform::Rect& r = placement.normal;
    store.Write(kWindowGeometrySetting, std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                                            std::to_string(r.width) + "," +
                                            std::to_string(r.height));
    store.Write(kWindowMaximizedSetting, placement.maximized ? "True" : "False");
}

} // namespace tarnwick::settings
