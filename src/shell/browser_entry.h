// Items a browser hands over through its native host enter the list here,
// each with what the browser knows of it (its page, referrer, agent and
// cookies). What the browser sends is untrusted: it can only add items, each
// checked again as it arrives, with a name cut to its last component and
// cleaned, and always to the user's download folder.
#pragma once

#include "list/download_queue.h"
#include "shell/downloaded_before.h"
#include "shell/run_commands.h"
#include "shell/status_line.h"

#include <string>

namespace tarnwick::shell {

class BrowserEntry {
public:
    // `past` may be none: nothing then counts as downloaded before.
    BrowserEntry(list::DownloadQueue& queue, RunStarter& runs, StatusMessages& messages,
                 const PastDownloads* past = nullptr)
        : queue_(queue), runs_(runs), messages_(messages), past_(past) {}

    // One item's line: lists it, and answers what became of it
    // (handoff::AnswerLine).
    std::string Take(const std::string& line);
    // The browser's items of one hand-over have all come: a run starts for
    // them unless one is under way, and the status line tells how many came.
    void Finish();
    // Until the kept list is back, items are refused, so that none is lost
    // under the list restored.
    void Started() { started_ = true; }

private:
    list::DownloadQueue& queue_;
    RunStarter& runs_;
    StatusMessages& messages_;
    const PastDownloads* past_;
    bool started_ = false;
    int added_ = 0;
};

} // namespace tarnwick::shell
