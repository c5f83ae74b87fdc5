#include "driver/run_control.h"

#include "common/app_info.h"
#include "driver/current_item.h"
#include "list/status_texts.h"
#include "platform/app_paths.h"
#include "resolve/file_info.h"
#include "resolve/site_index.h"
#include "settings/skin_variables.h"
#include "shell/progress_bar.h"
#include "transfer/connection_check.h"

#include <filesystem>

namespace tarnwick::driver {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

bool IsFinished(const list::ListedItem& item) {
    return item.Status == status::kComplete || item.Status == status::kError;
}

// "name (n).ext", or "name (n)" for a name without an extension.
std::string NumberedName(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    if (dot == std::string::npos || dot == 0) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace

std::string OutcomeOfSizeText(const std::string& size_text) {
    const auto value = shell::ProgressValueOf(size_text.substr(0, 2));
    return (!value || *value == -1) ? status::kError : status::kComplete;
}

void RunControl::cmdStartDownload_Click() {
    try {
        if (s_.list.IsListEmpty()) {
            settings::SetSkinVariable(s_.skin, settings::kSkinStartDownload, "1");
            RefuseStart("Please add video URL's first.", "Empty List");
            return;
        }
        if (start_caption_ == kStopCaption) {
            if (!ConfirmStop()) return;
            s_.state.StopRequested = true;
            ShowStartCaption(kStartCaption);
            ShowTrayCaption(kStartCaption);
            SetRunVariables("1", false);
            return;
        }
        // A stopped run that has not returned yet: no second run inside it.
        if (s_.state.Downloading) return;
        if (!transfer::IsInternetConnected(s_.connectivity)) {
            RefuseStart(
                "You are not connected to the internet, Please connect first then try again",
                kAppTitle);
            return;
        }
        ShowStartCaption(kStopCaption);
        ShowTrayCaption(kStopCaption);
        SetRunVariables("0", false);
        StartDownloading();
        if (!s_.state.StopRequested) {
            ShowStartCaption(kStartCaption);
            SetRunVariables("1", true);
            ShowTrayCaption(kStartCaption);
        }
    } catch (const std::exception&) {
        // The command ends silently.
    }
}

bool RunControl::ConfirmStop() {
    return s_.box.Show("Are you sure that you want to cancel downloading?", kAppTitle,
                       MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
}

void RunControl::RefuseStart(const std::string& text, const std::string& title) {
    s_.box.Show(text, title, MessageIcon::Exclamation, MessageButtons::Ok);
}

void RunControl::ShowStartCaption(const std::string& caption) {
    start_caption_ = caption;
    s_.captions.ShowStartButtonCaption(caption);
}

void RunControl::ShowTrayCaption(const std::string& caption) {
    tray_caption_ = caption;
    s_.captions.ShowTrayEntryCaption(caption);
}

// The three run-state variables; the end of a run writes startDownload first.
void RunControl::SetRunVariables(const char* value, bool start_first) {
    using namespace settings;
    if (start_first) {
        SetSkinVariable(s_.skin, kSkinStartDownload, value);
        SetSkinVariable(s_.skin, kSkinDownloadButton, value);
    } else {
        SetSkinVariable(s_.skin, kSkinDownloadButton, value);
        SetSkinVariable(s_.skin, kSkinStartDownload, value);
    }
    SetSkinVariable(s_.skin, kSkinDownloadTab, value);
}

void RunControl::tmrDownload_Timer() {
    s_.tmrDownload.SetEnabled(false);
    cmdStartDownload_Click();
}

void RunControl::cmdAdd2List_Click(const std::string& txtURL) { s_.listing.AddVideoURL(txtURL); }

void RunControl::StartDownloading() {
    if (s_.state.CurrentPage == "About") {
        settings::SetSkinVariable(s_.skin, settings::kSkinDownloadButtonTab, "1");
    }
    std::error_code ignored;
    std::filesystem::create_directories(s_.state.DownloadDir, ignored);
    s_.state.StopRequested = false;
    s_.state.Downloading = true;

    const int end_mark = s_.list.LastPosition();
    int position = 0;
    bool past_end_mark_allowed = false;
    while (s_.list.HasPosition(position) && (past_end_mark_allowed || position <= end_mark)) {
        past_end_mark_allowed = false;
        if (IsFinished(s_.list.At(position))) {
            ++position;
            continue;
        }
        const ItemEnd end = ProcessItem(position);
        if (end == ItemEnd::kRunEnds) break;
        if (end == ItemEnd::kProcessed) past_end_mark_allowed = position < s_.list.LastPosition();
        ++position;
    }
    s_.state.CurrentItemKey = 0;
    s_.state.Downloading = false;
}

// Processes the item at `position`; on return `position` is where the item
// stands now (or where its successor's predecessor would, when it was removed).
RunControl::ItemEnd RunControl::ProcessItem(int& position) {
    std::vector<uint32_t> later_keys;
    for (int p = position + 1; p <= s_.list.LastPosition(); ++p)
        later_keys.push_back(s_.list.At(p).Key);
    s_.state.CurrentIndex = static_cast<int16_t>(position);
    s_.state.CurrentItemKey = s_.list.At(position).Key;
    s_.presentation.LocateCurrentRow();

    const std::string link = PrepareItem(position);
    s_.listing.FillDownloadList();
    position = ResumePosition(position, later_keys);
    if (s_.state.StopRequested) {
        EndWithCancelled();
        return ItemEnd::kRunEnds;
    }
    list::ListedItem* item = RunItem();
    if (item == nullptr || item->Status == status::kError) return ItemEnd::kSkipped;

    const bool transferred = TransferFile(*item, link);
    position = ResumePosition(position, later_keys);
    if (s_.state.StopRequested) {
        EndWithCancelled();
        return ItemEnd::kRunEnds;
    }
    if (list::ListedItem* done = RunItem()) {
        done->Status = transferred ? OutcomeOfSizeText(done->FileSize) : status::kError;
    }
    s_.listing.FillDownloadList();
    return ItemEnd::kProcessed;
}

// Transfers the item's file; false when the transfer failed in any way: an
// error event, an error that reached us instead, or an error answer.
bool RunControl::TransferFile(list::ListedItem& item, const std::string& link) {
    s_.download.SetUrl(link);
    s_.download.SetLocalFile(platform::JoinPath(s_.state.DownloadDir, item.FileName));
    // An error page never takes the place of a file in the download folder.
    s_.download.SetCommitErrorAnswers(false);
    s_.state.TransferResult.clear();
    FollowRunItem();
    try {
        s_.download.StartDownload();
    } catch (const std::exception&) {
        return false;
    }
    return s_.state.TransferResult == "1" && s_.download.StatusCode() < 400;
}

void RunControl::EndWithCancelled() {
    if (list::ListedItem* item = RunItem()) item->Status = status::kCancelled;
    s_.listing.FillDownloadList();
}

list::ListedItem* RunControl::RunItem() {
    FollowRunItem();
    return CurrentItem(s_.state, s_.list);
}

// Points CurrentIndex and CurrentRow at the run's item wherever it now stands.
void RunControl::FollowRunItem() {
    const int position = s_.list.PositionOfKey(s_.state.CurrentItemKey);
    if (position >= 0) s_.state.CurrentIndex = static_cast<int16_t>(position);
    s_.presentation.LocateCurrentRow();
}

int RunControl::ResumePosition(int fallback, const std::vector<uint32_t>& later_keys) const {
    const int position = s_.list.PositionOfKey(s_.state.CurrentItemKey);
    if (position >= 0) return position;
    // The item was removed: go on before the first later item still listed.
    for (const uint32_t key : later_keys) {
        const int later = s_.list.PositionOfKey(key);
        if (later >= 0) return later - 1;
    }
    return std::min(fallback, s_.list.LastPosition());
}

std::string RunControl::PrepareItem(int position) {
    list::ListedItem& item = s_.list.At(position);
    const uint32_t key = item.Key;
    const std::string page_address = item.Video_URL;
    item.Status = status::kPreparingStart;
    s_.listing.FillDownloadList();

    const auto current = [&]() -> list::ListedItem* {
        const int p = s_.list.PositionOfKey(key);
        return p >= 0 ? &s_.list.At(p) : nullptr;
    };
    try {
        const std::string link = s_.resolver.GetDownloadLink(page_address);
        list::ListedItem* now = current();
        if (now == nullptr) return resolve::kNoSupportedSite;
        if (link == resolve::kNoSupportedSite) {
            now->Status = status::kError;
            now->FileName = status::kUnsupportedLink;
            return resolve::kNoSupportedSite;
        }
        if (link == resolve::kNoLinkFound) {
            now->FileName = status::kProcessFailed;
            now->Status = status::kError;
            return resolve::kNoSupportedSite;
        }
        if (link == resolve::kPageNotFetched) {
            now->Status = status::kError;
            return resolve::kNoSupportedSite;
        }
        const resolve::FileInfo info =
            resolve::GetFileInfo(s_.download, link, resolve::GetSiteIndex(page_address));
        now = current();
        if (now == nullptr) return resolve::kNoSupportedSite;
        if (now->FileName == status::kAutoDetect)
            now->FileName = UniqueFileName(info.FileName, key);
        now->FileSize = info.SizeText;
        return link;
    } catch (const std::exception&) {
        // Link resolution or the probe ended with an error instead of a result.
        if (list::ListedItem* now = current()) now->Status = status::kError;
        return resolve::kNoSupportedSite;
    }
}

// The name, numbered " (2)", " (3)", ... when another item already has it.
std::string RunControl::UniqueFileName(const std::string& name, uint32_t key) const {
    const auto taken = [&](const std::string& candidate) {
        for (const list::ListedItem& other : s_.list.Items()) {
            if (other.Key != key && other.FileName == candidate) return true;
        }
        return false;
    };
    std::string candidate = name;
    for (int number = 2; taken(candidate); ++number) candidate = NumberedName(name, number);
    return candidate;
}

} // namespace tarnwick::driver
