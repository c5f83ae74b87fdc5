#include "settings/column_widths.h"

#include "platform/grid.h"
#include "settings/setting_names.h"

#include <charconv>
#include <string>

namespace tarnwick::settings {

std::optional<std::vector<int>> LoadColumnWidths(platform::SettingsStore& store) {
    const std::optional<std::string> text = store.Read(kColumnWidthsSetting);
    if (!text) return std::nullopt;
    std::vector<int> widths;
    const char* at = text->data();
    const char* end = text->data() + text->size();
    while (true) {
        int width = 0;
        const auto [stop, error] = std::from_chars(at, end, width);
        if (error != std::errc() || width <= 0) return std::nullopt;
        widths.push_back(width);
        at = stop;
        if (at == end) break;
        if (*at != ',') return std::nullopt;
        ++at;
    }
    if (widths.size() != static_cast<size_t>(platform::kColumnCount)) return std::nullopt;
    return widths;
}

void SaveColumnWidths(platform::SettingsStore& store, const std::vector<int>& widths) {
    std::string text;
    for (const int width : widths) {
        if (!text.empty()) text += ',';
        text += std::to_string(width);
    }
    store.Write(kColumnWidthsSetting, text);
}

} // namespace tarnwick::settings
