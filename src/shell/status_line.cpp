#include "shell/status_line.h"

#include "list/item_texts.h"
#include "list/reason_texts.h"
#include "shell/skin_variables.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::shell {

StatusLine::StatusLine(StatusLineServices services)
    : s_(services),
      message_timer_(s_.clock.NewTimer([this] {
          message_.clear();
          Refresh();
      })),
      speed_timer_(s_.clock.NewTimer([this] {
          speed_timer_->Start(platform::UntilNextScreenBeat(s_.clock.Now()));
          MeasureSpeed();
          Refresh();
      })),
      selection_timer_(s_.clock.NewTimer([this] {
          FindSelectedItem();
          Refresh();
      })),
      ends_(s_.queue, [this](const list::DownloadItem& item) { OnItemEnded(item); }) {
    s_.queue.AddObserver(this);
    s_.run.AddObserver(this);
    s_.grid.SetSelectionListener(this);
}

StatusLine::~StatusLine() {
    s_.grid.SetSelectionListener(nullptr);
    s_.run.RemoveObserver(this);
    s_.queue.RemoveObserver(this);
}

void StatusLine::ShowMessage(const std::string& text, platform::Duration how_long) {
    run_summary_.clear();
    message_ = text;
    message_timer_->Start(how_long);
    Refresh();
}

void StatusLine::OnChanged(int position, unsigned fields) {
    if (selected_ && s_.queue.At(position).key == *selected_ &&
        (fields & list::kFieldFailure) != 0) {
        Refresh();
    }
}

// A listed address is the user's next action after a run.
void StatusLine::OnInserted(int /*position*/) {
    if (run_summary_.empty()) return;
    run_summary_.clear();
    Refresh();
}

void StatusLine::OnItemEnded(const list::DownloadItem& item) {
    if (!s_.run.IsRunning()) return;
    ++(item.state == list::ItemState::kComplete ? complete_ : failed_);
}

void StatusLine::OnRunEnded() {
    run_summary_ =
        "Done: " + std::to_string(complete_) + " complete, " + std::to_string(failed_) + " failed";
}

void StatusLine::OnRemoving(int position) {
    run_summary_.clear();
    if (selected_ && s_.queue.At(position).key == *selected_) {
        selected_.reset();
        selection_timer_->Start(platform::Duration(0));
    }
}

void StatusLine::OnRunStateChanged() {
    meter_.Reset();
    metered_.reset();
    together_.Reset();
    together_meter_.Reset();
    if (s_.run.IsRunning()) {
        complete_ = failed_ = 0;
        run_summary_.clear();
        speed_timer_->Start(platform::UntilNextScreenBeat(s_.clock.Now()));
    } else {
        speed_timer_->Stop();
    }
    Refresh();
}

void StatusLine::OnSelectionChanged() {
    run_summary_.clear();
    if (!selection_timer_->IsActive()) selection_timer_->Start(platform::Duration(0));
}

// The selected item nearest the top, by a selected row or a selected cell.
void StatusLine::FindSelectedItem() {
    int first = s_.grid.RowCount();
    for (const platform::CellRef& cell : s_.grid.SelectedCells()) first = std::min(first, cell.row);
    for (int row = 0; row < first; ++row) {
        if (s_.grid.IsRowSelected(row)) {
            first = row;
            break;
        }
    }
    selected_.reset();
    if (first < s_.queue.Count()) selected_ = s_.queue.At(first).key;
}

void StatusLine::MeasureSpeed() {
    const std::vector<list::ItemKey> under_way = s_.run.ItemsUnderWay();
    MeasureItemSpeed(under_way.empty() ? std::nullopt : std::optional(under_way.front()));
    MeasureSpeedTogether(under_way);
}

void StatusLine::MeasureItemSpeed(std::optional<list::ItemKey> key) {
    const list::DownloadItem* item = key ? s_.queue.Find(*key) : nullptr;
    if (item == nullptr || item->state != list::ItemState::kDownloading) {
        meter_.Reset();
        metered_.reset();
        return;
    }
    if (metered_ != key) meter_.Reset();
    metered_ = key;
    meter_.Add(s_.clock.Now(), item->received);
}

void StatusLine::MeasureSpeedTogether(const std::vector<list::ItemKey>& under_way) {
    std::vector<std::pair<uint32_t, int64_t>> received;
    for (const list::ItemKey key : under_way) {
        const list::DownloadItem* item = s_.queue.Find(key);
        if (item != nullptr && item->state == list::ItemState::kDownloading) {
            received.emplace_back(key, item->received);
        }
    }
    together_.Take(received);
    together_meter_.Add(s_.clock.Now(), together_.Total());
}

void StatusLine::Refresh() {
    std::string text = Compose();
    if (text == shown_) return;
    shown_ = std::move(text);
    SetSkinVariable(s_.skin, kSkinStatusText, shown_);
}

std::string StatusLine::Compose() const {
    if (!message_.empty()) return message_;
    std::string reason = SelectedReason();
    if (!reason.empty()) return reason;
    if (s_.run.IsRunning()) return RunningText();
    if (!run_summary_.empty()) return run_summary_;
    return kReadyText;
}

std::string StatusLine::SelectedReason() const {
    if (!selected_) return {};
    const int position = s_.queue.PositionOf(*selected_);
    if (position < 0) return {};
    const std::string reason = list::ReasonText(s_.queue.At(position));
    if (reason.empty()) return {};
    return "Item " + std::to_string(position + 1) + ": " + reason;
}

std::string StatusLine::RunningText() const {
    const std::vector<list::ItemKey> under_way = s_.run.ItemsUnderWay();
    if (under_way.size() > 1) return SeveralItemsText(under_way);
    const std::optional<list::ItemKey> key =
        under_way.empty() ? std::nullopt : std::optional(under_way.front());
    const int position = key ? s_.queue.PositionOf(*key) : -1;
    if (position < 0) return kRunningText;
    const list::DownloadItem& item = s_.queue.At(position);
    if (std::string waiting = list::ActivityText(item); !waiting.empty()) {
        const std::string whose = item.name_kind == list::NameKind::kNamed
                                      ? item.name
                                      : "Item " + std::to_string(position + 1);
        return whose + ": " + waiting;
    }
    if (item.state != list::ItemState::kDownloading) {
        return "Preparing item " + std::to_string(position + 1);
    }
    std::string text = "Downloading " + list::FileNameText(item);
    const std::optional<double> speed = metered_ == key ? meter_.BytesPerSecond() : std::nullopt;
    if (!speed) return text;
    text += " at " + SpeedText(*speed);
    if (item.size_kind == list::SizeKind::kKnown && item.total_size > item.received &&
        *speed >= 1) {
        const double seconds = static_cast<double>(item.total_size - item.received) / *speed;
        text += ", " + TimeLeftText(static_cast<int64_t>(std::ceil(seconds)));
    }
    return text;
}

// "Downloading 3 items at 4.2 MB/s": the speed once any of them downloads.
std::string StatusLine::SeveralItemsText(const std::vector<list::ItemKey>& under_way) const {
    std::string text = "Downloading " + std::to_string(under_way.size()) + " items";
    const bool downloading = std::any_of(under_way.begin(), under_way.end(), [this](auto key) {
        const list::DownloadItem* item = s_.queue.Find(key);
        return item != nullptr && item->state == list::ItemState::kDownloading;
    });
    const std::optional<double> speed = together_meter_.BytesPerSecond();
    if (downloading && speed) text += " at " + SpeedText(*speed);
    return text;
}

} // namespace tarnwick::shell
