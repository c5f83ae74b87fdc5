#include "shell/browser_entry.h"

#include "handoff/handoff_request.h"
#include "list/add_video_url.h"
#include "resolve/file_naming.h"
#include "resolve/page_address.h"
#include "resolve/typed_name.h"

#include <variant>

namespace tarnwick::shell {
namespace {

std::string Refused(const std::string& reason) {
    return handoff::AnswerLine(handoff::ItemReply::Result::kRefused, reason);
}

// The browser's name for the file, as the title that names it where its
// page names none; the extension is the video's own, found on the way.
std::string TitleOf(const std::string& browser_name) {
    std::string name = resolve::CleanFileName(browser_name);
    name.resize(name.size() - resolve::ExtensionOf(name).size());
    return name;
}

} // namespace

std::string BrowserEntry::Take(const std::string& line) {
    if (!started_) return Refused("Tarnwick is starting: send it again in a moment");
    auto parsed = handoff::ParseChannelItemLine(line);
    if (const auto* refusal = std::get_if<handoff::Refusal>(&parsed))
        return Refused(refusal->reason);
    handoff::HandedItem& item = std::get<handoff::HandedItem>(parsed);
    const std::string address = resolve::CleanAddress(item.url);
    if (address.empty()) return Refused("The address is empty");
    // A video downloaded before is said in the window too, where it can be shown.
    if (!queue_.HasAddress(address) && past_ != nullptr) {
        if (const std::optional<platform::HistoryEntry> before = past_->Before(address)) {
            const std::string text = DownloadedBeforeText(*before);
            messages_.ShowMessage(text);
            return Refused(text.substr(0, text.rfind(" \u2014 ")));
        }
    }
    // Read by the general page reader whatever the setting: the user asked.
    switch (list::AddVideoURL(queue_, address, true)) {
        case list::DownloadQueue::AddResult::kAdded: break;
        case list::DownloadQueue::AddResult::kDuplicate:
        case list::DownloadQueue::AddResult::kDownloadedBefore:
            return handoff::AnswerLine(handoff::ItemReply::Result::kListed);
        case list::DownloadQueue::AddResult::kFull:
            return Refused("The list is full: remove finished items to add more");
    }
    const std::string title = item.name.empty() ? std::string() : TitleOf(item.name);
    queue_.Modify(queue_.LastKey(), [&](list::DownloadItem& listed) {
        listed.rare->origin = list::Origin::kBrowser;
        listed.rare->context = std::move(item.context);
        if (!title.empty()) listed.rare->title = title;
        listed.rare.Tidy();
    });
    ++added_;
    return handoff::AnswerLine(handoff::ItemReply::Result::kAdded);
}

void BrowserEntry::Finish() {
    const int added = std::exchange(added_, 0);
    if (added == 0) return;
    messages_.ShowMessage(added == 1
                              ? std::string("Added 1 item from the browser")
                              : "Added " + std::to_string(added) + " items from the browser");
    // The items the user stopped stay stopped: only what waits is taken.
    if (!runs_.IsRunning()) runs_.RequestStart(driver::RunScope::kWaiting);
}

} // namespace tarnwick::shell
