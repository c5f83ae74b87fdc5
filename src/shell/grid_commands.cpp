#include "shell/grid_commands.h"

#include "list/add_video_url.h"
#include "resolve/file_naming.h"
#include "resolve/typed_name.h"
#include "shell/grid_selection.h"

#include <optional>
#include <vector>

namespace tarnwick::shell {

void GridCommands::SelectAll() { grid_.SelectAllRows(); }

std::vector<list::ItemKey> GridCommands::SelectedItems() const {
    return shell::SelectedItems(queue_, grid_);
}

void GridCommands::RemoveSelected() {
    if (grid_.RowCount() == 0) return;
    const std::vector<list::ItemKey> keys = SelectedItems();
    grid_.ClearSelection();
    removals_.Remove(keys, Removals::Kind::kRemove);
}

void GridCommands::RetrySelected() {
    const std::vector<list::ItemKey> keys = SelectedItems();
    grid_.ClearSelection();
    queue_.ModifyMany(keys, [this](list::DownloadItem& item) {
        if (item.state != list::ItemState::kFailed) return;
        item.state = list::ItemState::kWaiting;
        item.site = list::SiteFor(item.page_address, settings_.other_sites);
        item.rare->failure.reset();
        if (item.size_kind == list::SizeKind::kNone) item.size_kind = list::SizeKind::kNotProbed;
        if (item.name_kind == list::NameKind::kProcessFailed ||
            item.name_kind == list::NameKind::kUnsupportedLink) {
            item.name_kind = list::NameKind::kAutoDetect;
        }
    });
}

void GridCommands::ClearCompleted() {
    if (grid_.RowCount() == 0) return;
    std::vector<list::ItemKey> complete;
    for (int position = 0; position < queue_.Count(); ++position) {
        const list::DownloadItem& item = queue_.At(position);
        if (item.state == list::ItemState::kComplete) complete.push_back(item.key);
    }
    grid_.ClearSelection();
    removals_.Remove(complete, Removals::Kind::kClearCompleted);
}

void GridCommands::MoveFirstSelected(bool (list::DownloadQueue::*move)(list::ItemKey)) {
    const std::optional<int> row = FirstSelectedCellRow(queue_, grid_);
    grid_.ClearSelection();
    if (!row) return;
    const list::ItemKey key = queue_.At(*row).key;
    (queue_.*move)(key);
    // Selected where it went, so that the next step moves it on.
    grid_.SelectRow(queue_.PositionOf(key));
}

bool GridCommands::OnFileNameEdited(int row, const std::string& text) {
    if (row < 0 || row >= queue_.Count()) return false;
    const list::DownloadItem& item = queue_.At(row);
    const std::string current = item.name_kind == list::NameKind::kNamed ? item.name : "";
    const std::string cleaned = resolve::TypedFileName(text, current);
    if (cleaned.empty() || cleaned == resolve::kEnterFileName) return false;
    queue_.Rename(item.key, cleaned);
    return true;
}

} // namespace tarnwick::shell
