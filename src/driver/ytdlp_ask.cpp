#include "driver/ytdlp_ask.h"

#include <utility>

namespace tarnwick::driver {

std::vector<std::string> YtDlpArguments(const std::string& address, const YtDlpLogin& login,
                                        const std::string& cookie_file) {
    // A single video's answer is the same with --flat-playlist; a playlist's
    // lists its entries' addresses instead of asking each of them in turn.
    std::vector<std::string> arguments = {
        "-J", "--no-playlist", "--flat-playlist", "--no-warnings", "--socket-timeout", "30"};
    const auto add = [&](const char* option, const std::string& value) {
        if (value.empty()) return;
        arguments.emplace_back(option);
        arguments.push_back(value);
    };
    add("--referer", login.referrer);
    add("--user-agent", login.user_agent);
    add("--cookies", cookie_file);
    add("--cookies-from-browser", login.cookies_from_browser);
    arguments.emplace_back("--");
    arguments.push_back(address);
    return arguments;
}

Result<resolve::YtDlpAnswer> YtDlpOutcome(const platform::ChildEnd& end) {
    using Kind = platform::ChildEnd::Kind;
    const auto failed = [](std::string detail) {
        return Failure{Reason::kResolverFailed, 0, std::move(detail)};
    };
    switch (end.kind) {
        case Kind::kFailedToStart: return failed("it could not be started: " + end.err_tail);
        case Kind::kTooMuchOutput: return failed("its answer is larger than 16 MiB");
        case Kind::kCrashed:
        case Kind::kExited: break;
    }
    if (end.kind == Kind::kCrashed || end.exit_code != 0) {
        std::string error = resolve::YtDlpErrorText(end.err_tail);
        if (error.empty()) {
            error = end.kind == Kind::kCrashed
                        ? "it crashed"
                        : "it ended with code " + std::to_string(end.exit_code);
        }
        return failed(std::move(error));
    }
    Result<resolve::YtDlpAnswer> answer = resolve::ReadYtDlpAnswer(end.out);
    if (!answer) return failed("its answer could not be read");
    return answer;
}

YtDlpAsk::YtDlpAsk(platform::ChildProcesses& children, platform::Clock& clock)
    : children_(children), limit_(clock.NewTimer([this] {
          Finish(early_failure_
                     ? *early_failure_
                     : Failure{Reason::kResolverFailed, 0, "it gave no answer within a minute"});
      })) {}

void YtDlpAsk::Start(const std::string& program, const std::string& address, DoneHandler on_done,
                     const YtDlpLogin& login) {
    on_done_ = std::move(on_done);
    limit_->Start(kYtDlpTimeLimit);
    std::string cookie_path;
    if (!login.cookies.empty()) {
        Result<CookieJarFile> made = CookieJarFile::Write(login.private_folder, login.cookies);
        if (!made) {
            // Told from the event loop, as every answer is.
            early_failure_ =
                Failure{Reason::kResolverFailed, 0,
                        "its cookie file could not be written: " + made.failure().detail};
            return limit_->Start(platform::Duration{0});
        }
        cookie_file_.emplace(std::move(made.value()));
        cookie_path = cookie_file_->Path();
    }
    child_ = children_.Start(
        platform::ChildRequest{
            program, YtDlpArguments(address, login, cookie_path), {}, kYtDlpAnswerLimit},
        [this](platform::ChildEnd end) { Finish(YtDlpOutcome(end)); });
}

void YtDlpAsk::Finish(Result<resolve::YtDlpAnswer> answer) {
    limit_->Stop();
    // Killed at once, when the time ran out.
    child_.reset();
    cookie_file_.reset();
    DoneHandler on_done = std::move(on_done_);
    if (on_done) on_done(std::move(answer));
}

} // namespace tarnwick::driver
