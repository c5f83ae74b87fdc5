// yt-dlp asked what an address holds: run with an argument list (never a
// shell), the address after "--" so that it cannot pass for an option, and
// given no output options, so that it only prints its JSON answer. It is
// given a minute and 16 MiB of answer; destroying the ask kills it at once.
#pragma once

#include "common/result.h"
#include "driver/cookie_jar_file.h"
#include "driver/ytdlp_answers.h"
#include "handoff/item_context.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "resolve/ytdlp_answer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::driver {

inline constexpr platform::Duration kYtDlpTimeLimit{60'000};
inline constexpr size_t kYtDlpAnswerLimit = 16 * 1024 * 1024;

// What yt-dlp is to ask the page with, as the browser the item came from
// would: its referrer and agent, and cookies, which it reads from a file
// of ours made for the one ask in `private_folder` (never the user's own
// cookie file, which yt-dlp would write back to), or from a browser's store.
struct YtDlpLogin {
    std::string referrer;
    std::string user_agent;
    std::vector<handoff::BrowserCookie> cookies;
    std::string private_folder;
    std::string cookies_from_browser;
};

// yt-dlp's arguments for `address`: one video's answer, or a playlist's
// entries without asking for each of them; with the login's options, and
// `cookie_file` where there is one.
std::vector<std::string> YtDlpArguments(const std::string& address, const YtDlpLogin& login = {},
                                        const std::string& cookie_file = {});

// The failure of a yt-dlp that ended so, or its answer.
Result<resolve::YtDlpAnswer> YtDlpOutcome(const platform::ChildEnd& end);

class YtDlpAsk {
public:
    using DoneHandler = std::function<void(Result<resolve::YtDlpAnswer> answer)>;

    YtDlpAsk(platform::ChildProcesses& children, platform::Clock& clock);
    ~YtDlpAsk();
    YtDlpAsk(const YtDlpAsk&) = delete;
    YtDlpAsk& operator=(const YtDlpAsk&) = delete;

    // Asks the same yt-dlp about `companions` too, after the address, and
    // leaves what it says of each in `answers`: called before Start. The
    // answer for the address is then a failure whenever yt-dlp found no
    // video there, with its words for another address perhaps.
    void AskAlsoAbout(std::vector<std::string> companions, YtDlpAnswers& answers);

    // `on_done` is called once, from the event loop; the ask may be
    // destroyed from inside it.
    void Start(const std::string& program, const std::string& address, DoneHandler on_done,
               const YtDlpLogin& login = {});

private:
    void Finish(Result<resolve::YtDlpAnswer> answer);
    void OnEnd(const platform::ChildEnd& end);
    void TellCompanions(const std::vector<std::string>& lines);

    platform::ChildProcesses& children_;
    std::vector<std::string> companions_;
    YtDlpAnswers* answers_ = nullptr;
    std::unique_ptr<platform::Timer> limit_;
    std::unique_ptr<platform::Child> child_;
    // Removed when the ask ends, however it ends.
    std::optional<CookieJarFile> cookie_file_;
    // Why the ask failed before yt-dlp could start, told when the limit's
    // timer fires at once.
    std::optional<Failure> early_failure_;
    DoneHandler on_done_;
};

} // namespace tarnwick::driver
