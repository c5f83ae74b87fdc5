#include "driver/ytdlp_ask.h"

#include <utility>

namespace tarnwick::driver {

std::vector<std::string> YtDlpArguments(const std::string& address) {
    // A single video's answer is the same with --flat-playlist; a playlist's
    // lists its entries' addresses instead of asking each of them in turn.
    return {"-J", "--no-playlist", "--flat-playlist", "--no-warnings", "--socket-timeout", "30",
            "--", address};
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
          Finish(Failure{Reason::kResolverFailed, 0, "it gave no answer within a minute"});
      })) {}

void YtDlpAsk::Start(const std::string& program, const std::string& address, DoneHandler on_done) {
    on_done_ = std::move(on_done);
    limit_->Start(kYtDlpTimeLimit);
    child_ = children_.Start(
        platform::ChildRequest{program, YtDlpArguments(address), {}, kYtDlpAnswerLimit},
        [this](platform::ChildEnd end) { Finish(YtDlpOutcome(end)); });
}

void YtDlpAsk::Finish(Result<resolve::YtDlpAnswer> answer) {
    limit_->Stop();
    // Killed at once, when the time ran out.
    child_.reset();
    DoneHandler on_done = std::move(on_done_);
    if (on_done) on_done(std::move(answer));
}

} // namespace tarnwick::driver
