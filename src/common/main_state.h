// The main window's state that several subsystems share. One instance lives
// in the application and is handed to every module that reads or writes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

struct MainState {
    // Run control
    bool Downloading = false;
    bool StopRequested = false;
    int16_t CurrentIndex = 0;
    // Key of the item the run processes (0: none), so that the run and its
    // progress follow the item when grid commands move or remove items.
    uint32_t CurrentItemKey = 0;
    // Page fetch and transfer outcome
    bool Preparing = false;
    std::string TransferResult;
    // Skin page last opened: "Download", "About" or empty
    std::string CurrentPage;
    // Grid row that shows the item being downloaded; valid until the next rebuild
    std::optional<int> CurrentRow;
    bool GridFormatted = false;
    bool FillingList = false;
    // Application settings: the clipboard monitor switch and where downloads go
    bool MonitorEnabled = false;
    std::string DownloadDir;
};

} // namespace tarnwick
