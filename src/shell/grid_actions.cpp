#include "shell/grid_actions.h"

#include "shell/grid_selection.h"

#include <algorithm>
#include <string>

namespace tarnwick::shell {
namespace {

bool IsComplete(const list::DownloadItem& item) { return item.state == list::ItemState::kComplete; }

bool IsFailed(const list::DownloadItem& item) { return item.state == list::ItemState::kFailed; }

bool IsSomething(const list::DownloadItem&) { return true; }

platform::UserCommand Entry(GridAction action, const char* caption, const char* keys,
                            bool separator_before = false) {
    return {.id = static_cast<int>(action),
            .caption = caption,
            .keys = keys,
            .separator_before = separator_before};
}

} // namespace

std::vector<platform::UserCommand> GridActions::Commands() const {
    std::vector<platform::UserCommand> commands = {
        Entry(GridAction::kOpen, "&Open", "Enter; Return"),
        Entry(GridAction::kShowInFolder, "Show in &folder", ""),
        Entry(GridAction::kRetry, "&Retry", "", true),
        Entry(GridAction::kStart, "&Start", ""),
        Entry(GridAction::kStop, "S&top", ""),
        Entry(GridAction::kRename, "Re&name", "F2", true),
        Entry(GridAction::kQuality, "&Quality…", ""),
        Entry(GridAction::kMoveUp, "Move &up", "Alt+Up"),
        Entry(GridAction::kMoveDown, "Move &down", "Alt+Down"),
        Entry(GridAction::kCopyAddress, "&Copy address", "Ctrl+C"),
        Entry(GridAction::kRemove, "Re&move", "Del", true),
        Entry(GridAction::kRemoveAndForget, "Remove and &forget", ""),
        Entry(GridAction::kSelectAll, "Select &all", "Ctrl+A"),
    };
    commands.back().in_menu = false;
    return commands;
}

// The selected items go, and the history forgets their videos: copied
// again, they are downloaded again.
void GridActions::RemoveAndForget() {
    std::vector<std::string> addresses;
    for (const list::ItemKey key : SelectedItems(t_.queue, t_.grid)) {
        if (const list::DownloadItem* item = t_.queue.Find(key))
            addresses.push_back(item->page_address);
    }
    t_.commands.RemoveSelected();
    if (t_.history == nullptr) return;
    for (const std::string& address : addresses) (void)t_.history->Forget(address);
}

bool GridActions::AnySelected(const std::vector<list::ItemKey>& keys,
                              bool (*applies)(const list::DownloadItem&)) const {
    return std::any_of(keys.begin(), keys.end(), [&](list::ItemKey key) {
        const list::DownloadItem* item = t_.queue.Find(key);
        return item != nullptr && applies(*item);
    });
}

std::optional<list::ItemKey> GridActions::OnlySelected() const {
    const std::vector<list::ItemKey> keys = SelectedItems(t_.queue, t_.grid);
    if (keys.size() != 1) return std::nullopt;
    return keys.front();
}

bool GridActions::IsMovable(int step) const {
    const std::optional<int> row = FirstSelectedCellRow(t_.queue, t_.grid);
    return row && *row + step >= 0 && *row + step < t_.queue.Count();
}

bool GridActions::IsEnabled(int id) const {
    switch (static_cast<GridAction>(id)) {
        case GridAction::kOpen:
        case GridAction::kShowInFolder: {
            const std::optional<list::ItemKey> key = OnlySelected();
            return key && IsComplete(*t_.queue.Find(*key));
        }
        case GridAction::kRename: return OnlySelected().has_value();
        case GridAction::kQuality: {
            const std::optional<list::ItemKey> key = OnlySelected();
            return t_.quality != nullptr && key && !IsComplete(*t_.queue.Find(*key));
        }
        case GridAction::kRetry: return AnySelected(SelectedItems(t_.queue, t_.grid), IsFailed);
        case GridAction::kStart:
            return !t_.runs.IsRunning() &&
                   AnySelected(SelectedItems(t_.queue, t_.grid), list::IsRunnable);
        case GridAction::kStop: {
            if (!t_.runs.IsRunning()) return false;
            const std::vector<list::ItemKey> keys = SelectedItems(t_.queue, t_.grid);
            const std::vector<list::ItemKey> under_way = t_.run.ItemsUnderWay();
            return std::find_first_of(keys.begin(), keys.end(), under_way.begin(),
                                      under_way.end()) != keys.end();
        }
        case GridAction::kMoveUp: return IsMovable(-1);
        case GridAction::kMoveDown: return IsMovable(1);
        case GridAction::kCopyAddress:
        case GridAction::kRemove:
        case GridAction::kRemoveAndForget:
            return AnySelected(SelectedItems(t_.queue, t_.grid), IsSomething);
        case GridAction::kSelectAll: return !t_.queue.IsEmpty();
    }
    return false;
}

void GridActions::Run(int id) {
    if (!IsEnabled(id)) return;
    switch (static_cast<GridAction>(id)) {
        case GridAction::kOpen: return t_.files.Open(*OnlySelected());
        case GridAction::kShowInFolder: return t_.files.ShowInFolder(*OnlySelected());
        case GridAction::kRetry: return t_.commands.RetrySelected();
        case GridAction::kStart: return t_.runs.ToggleRun();
        case GridAction::kStop: return t_.runs.StopItems(SelectedItems(t_.queue, t_.grid));
        case GridAction::kRename: return t_.grid.EditFileName(t_.queue.PositionOf(*OnlySelected()));
        case GridAction::kMoveUp: return t_.commands.MoveSelectedUp();
        case GridAction::kMoveDown: return t_.commands.MoveSelectedDown();
        case GridAction::kCopyAddress: return CopyAddresses();
        case GridAction::kRemove: return t_.commands.RemoveSelected();
        case GridAction::kRemoveAndForget: return RemoveAndForget();
        case GridAction::kSelectAll: return t_.commands.SelectAll();
        case GridAction::kQuality: return t_.quality->Open(*OnlySelected());
    }
}

// One address a line, in list order.
void GridActions::CopyAddresses() {
    std::string text;
    for (const list::ItemKey key : SelectedItems(t_.queue, t_.grid)) {
        if (!text.empty()) text += '\n';
        text += t_.queue.Find(key)->page_address;
    }
    t_.monitor.CopyToClipboard(text);
}

void GridActions::OnDoubleClicked(int row, int column) {
    if (row < 0 || row >= t_.queue.Count()) return;
    const list::DownloadItem& item = t_.queue.At(row);
    if (IsComplete(item)) return t_.files.Open(item.key);
    if (column == platform::kColumnFileName) t_.grid.EditFileName(row);
}

} // namespace tarnwick::shell
