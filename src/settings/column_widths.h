// The widths the user gave the download grid's columns, kept across starts.
#pragma once

#include "platform/settings_store.h"

#include <optional>
#include <vector>

namespace tarnwick::settings {

// The stored widths, one a column in the grid's order; none when nothing is
// stored or the text is not one whole number above zero for each column.
std::optional<std::vector<int>> LoadColumnWidths(platform::SettingsStore& store);

void SaveColumnWidths(platform::SettingsStore& store, const std::vector<int>& widths);

} // namespace tarnwick::settings
