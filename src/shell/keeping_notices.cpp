#include "shell/keeping_notices.h"

#include <chrono>

namespace tarnwick::shell {

// The texts say how often the keeper tries again.
static_assert(list::ListKeeper::kRetryInterval == std::chrono::minutes(1));

std::string KeepingText(const list::KeepingNews& news) {
    switch (news.kind) {
        case list::KeepingNews::Kind::kLost:
            return "The list cannot be kept now (" + news.problem +
                   "); Tarnwick tries again every minute";
        case list::KeepingNews::Kind::kBack: return "The list is kept again";
        case list::KeepingNews::Kind::kRewritten:
            return "The list's file was gone; Tarnwick wrote the list again";
    }
    return {};
}

KeepingNotices::KeepingNotices(list::ListKeeper& keeper, StatusMessages& messages)
    : keeper_(keeper), messages_(messages) {
    keeper_.SetListener(this);
}

KeepingNotices::~KeepingNotices() { keeper_.SetListener(nullptr); }

void KeepingNotices::OnKeepingNews(const list::KeepingNews& news) {
    messages_.ShowMessage(KeepingText(news));
}

} // namespace tarnwick::shell
