// Says in the status line what happens to the keeping of the list while the
// program runs: that it cannot be kept now, that it is kept again, and that
// its file had gone and was written anew. The keeper tells each once.
#pragma once

#include "list/list_keeper.h"
#include "shell/status_line.h"

#include <string>

namespace tarnwick::shell {

std::string KeepingText(const list::KeepingNews& news);

class KeepingNotices : private list::KeepingListener {
public:
    KeepingNotices(list::ListKeeper& keeper, StatusMessages& messages);
    ~KeepingNotices() override;
    KeepingNotices(const KeepingNotices&) = delete;
    KeepingNotices& operator=(const KeepingNotices&) = delete;

private:
    void OnKeepingNews(const list::KeepingNews& news) override;

    list::ListKeeper& keeper_;
    StatusMessages& messages_;
};

} // namespace tarnwick::shell
