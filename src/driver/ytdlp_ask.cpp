#include "driver/ytdlp_ask.h"

#include <utility>

namespace tarnwick::driver {
namespace {

// yt-dlp asked about several addresses prints one line for each, in their
// order: its JSON answer, or "null" where it found nothing.
std::vector<std::string> LinesOf(const std::string& out) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < out.size();) {
        const size_t end = std::min(out.find('\n', start), out.size());
        lines.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::optional<resolve::YtDlpAnswer> AnswerOfLine(const std::vector<std::string>& lines,
                                                 size_t index) {
    if (index >= lines.size() || lines[index] == "null") return std::nullopt;
    Result<resolve::YtDlpAnswer> answer = resolve::ReadYtDlpAnswer(lines[index]);
    if (!answer) return std::nullopt;
    return std::move(answer.value());
}

} // namespace

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

YtDlpAsk::~YtDlpAsk() { TellCompanions({}); }

void YtDlpAsk::AskAlsoAbout(std::vector<std::string> companions, YtDlpAnswers& answers) {
    companions_ = std::move(companions);
    answers_ = &answers;
    for (const std::string& companion : companions_) answers.Coming(companion);
}

void YtDlpAsk::Start(const std::string& program, const std::string& address, DoneHandler on_done,
                     const YtDlpLogin& login) {
    on_done_ = std::move(on_done);
    // A few seconds more for each further address.
    limit_->Start(kYtDlpTimeLimit +
                  platform::Duration(10'000 * static_cast<int64_t>(companions_.size())));
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
    std::vector<std::string> arguments = YtDlpArguments(address, login, cookie_path);
    arguments.insert(arguments.end(), companions_.begin(), companions_.end());
    child_ = children_.Start(
        platform::ChildRequest{program, std::move(arguments), {}, kYtDlpAnswerLimit},
        [this](platform::ChildEnd end) { OnEnd(end); });
}

void YtDlpAsk::OnEnd(const platform::ChildEnd& end) {
    if (companions_.empty()) return Finish(YtDlpOutcome(end));
    const std::vector<std::string> lines = LinesOf(end.out);
    TellCompanions(lines);
    std::optional<resolve::YtDlpAnswer> own = AnswerOfLine(lines, 0);
    if (own) return Finish(std::move(*own));
    Result<resolve::YtDlpAnswer> failed = YtDlpOutcome(end);
    if (failed) failed = Failure{Reason::kResolverFailed, 0, "it found no video"};
    Finish(std::move(failed));
}

// What yt-dlp said of the further addresses, once; nothing where it ended
// before it said anything.
void YtDlpAsk::TellCompanions(const std::vector<std::string>& lines) {
    if (answers_ == nullptr) return;
    for (size_t i = 0; i < companions_.size(); ++i)
        answers_->Came(companions_[i], AnswerOfLine(lines, i + 1));
    companions_.clear();
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
