// yt-dlp asked what an address holds: run with an argument list (never a
// shell), the address after "--" so that it cannot pass for an option, and
// given no output options, so that it only prints its JSON answer. It is
// given a minute and 16 MiB of answer; destroying the ask kills it at once.
#pragma once

#include "common/result.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "resolve/ytdlp_answer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::driver {

inline constexpr platform::Duration kYtDlpTimeLimit{60'000};
inline constexpr size_t kYtDlpAnswerLimit = 16 * 1024 * 1024;

// yt-dlp's arguments for `address`: one video's answer, or a playlist's
// entries without asking for each of them.
std::vector<std::string> YtDlpArguments(const std::string& address);

// The failure of a yt-dlp that ended so, or its answer.
Result<resolve::YtDlpAnswer> YtDlpOutcome(const platform::ChildEnd& end);

class YtDlpAsk {
public:
    using DoneHandler = std::function<void(Result<resolve::YtDlpAnswer> answer)>;

    YtDlpAsk(platform::ChildProcesses& children, platform::Clock& clock);
    YtDlpAsk(const YtDlpAsk&) = delete;
    YtDlpAsk& operator=(const YtDlpAsk&) = delete;

    // `on_done` is called once, from the event loop; the ask may be
    // destroyed from inside it.
    void Start(const std::string& program, const std::string& address, DoneHandler on_done);

private:
    void Finish(Result<resolve::YtDlpAnswer> answer);

    platform::ChildProcesses& children_;
    std::unique_ptr<platform::Timer> limit_;
    std::unique_ptr<platform::Child> child_;
    DoneHandler on_done_;
};

} // namespace tarnwick::driver
