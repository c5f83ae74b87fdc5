// The widths the user gives the grid's columns: given back to the grid at
// start-up, and stored each time the user resizes a column. Without stored
// widths, the columns fit their texts.
#pragma once

#include "platform/grid.h"
#include "platform/settings_store.h"

namespace tarnwick::shell {

class KeptColumnWidths : public platform::GridColumnListener {
public:
    KeptColumnWidths(platform::Grid& grid, platform::SettingsStore& store)
        : grid_(grid), store_(store) {}
    ~KeptColumnWidths() override { grid_.SetColumnListener(nullptr); }
    KeptColumnWidths(const KeptColumnWidths&) = delete;
    KeptColumnWidths& operator=(const KeptColumnWidths&) = delete;

    // Gives the grid the stored widths, and listens for the user's resizes.
    void Restore();
    void OnColumnsResized() override;

private:
    platform::Grid& grid_;
    platform::SettingsStore& store_;
};

} // namespace tarnwick::shell
