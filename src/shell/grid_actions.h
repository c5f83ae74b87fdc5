// The grid's context menu and keys: what each entry does to the selected
// items, and whether it applies to them now. Open, Show in folder and Rename
// take one selected item; the others take every selected item they apply to.
// A double click opens a complete item's file, and otherwise edits the file
// name it was given on.
#pragma once

#include "driver/download_run.h"
#include "list/download_queue.h"
#include "platform/grid.h"
#include "platform/history_store.h"
#include "shell/clipboard_monitor.h"
#include "shell/grid_commands.h"
#include "shell/item_files.h"
#include "shell/item_quality.h"
#include "shell/run_commands.h"

#include <vector>

namespace tarnwick::shell {

enum class GridAction : int {
    kOpen = 1,
    kShowInFolder,
    kRetry,
    kStart,
    kStop,
    kRename,
    kMoveUp,
    kMoveDown,
    kCopyAddress,
    kRemove,
    kSelectAll,
    kQuality,
    kRemoveAndForget,
};

struct GridActionTargets {
    const list::DownloadQueue& queue;
    platform::Grid& grid;
    GridCommands& commands;
    RunCommands& runs;
    const driver::DownloadRun& run;
    ItemFiles& files;
    ClipboardMonitor& monitor;
    // The item's own choice of quality; without, the entry does nothing.
    ItemQuality* quality = nullptr;
    // Where "Remove and forget" forgets the items' videos; without, it only removes.
    platform::HistoryStore* history = nullptr;
};

class GridActions : public platform::GridInputListener {
public:
    explicit GridActions(GridActionTargets targets) : t_(targets) {}

    std::vector<platform::UserCommand> Commands() const override;
    bool IsEnabled(int id) const override;
    void Run(int id) override;
    void OnDoubleClicked(int row, int column) override;

private:
    void RemoveAndForget();

public:
private:
    bool AnySelected(const std::vector<list::ItemKey>& keys,
                     bool (*applies)(const list::DownloadItem&)) const;
    bool IsMovable(int step) const;
    // The one selected item, when exactly one is selected.
    std::optional<list::ItemKey> OnlySelected() const;
    void CopyAddresses();

    GridActionTargets t_;
};

} // namespace tarnwick::shell
