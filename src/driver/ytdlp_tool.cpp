#include "driver/ytdlp_tool.h"

#include "resolve/ytdlp_answer.h"

#include <utility>

namespace tarnwick::driver {

YtDlpTool::YtDlpTool(platform::ChildProcesses& children, Today today)
    : children_(children), today_(std::move(today)) {}

std::optional<std::string> YtDlpTool::Find() {
    std::optional<std::string> found = children_.Find(kYtDlpName);
    const bool changed = found != path_;
    path_ = std::move(found);
    if (path_ && *path_ != version_of_) ReadVersion(*path_);
    if (changed) watchers_.Notify([](YtDlpWatcher& w) { w.OnYtDlpFound(); });
    return path_;
}

void YtDlpTool::ReadVersion(const std::string& path) {
    if (reading_) return;
    constexpr size_t kLongestVersion = 4096;
    reading_ = children_.Start(platform::ChildRequest{path, {"--version"}, {}, kLongestVersion},
                               [this, path](platform::ChildEnd end) { OnVersion(path, end); });
}

void YtDlpTool::OnVersion(const std::string& path, const platform::ChildEnd& end) {
    reading_.reset();
    version_of_ = path;
    version_.clear();
    if (end.kind == platform::ChildEnd::Kind::kExited && end.exit_code == 0 &&
        resolve::YtDlpVersionDate(end.out)) {
        const size_t line_end = end.out.find_first_of("\r\n");
        version_ = end.out.substr(0, line_end);
    }
    if (path_ != path) {
        // Another yt-dlp was found meanwhile: its own version counts.
        if (path_) ReadVersion(*path_);
        return;
    }
    watchers_.Notify([](YtDlpWatcher& w) { w.OnYtDlpFound(); });
    WarnIfOld();
}

void YtDlpTool::NoteUse() {
    used_ = true;
    WarnIfOld();
}

void YtDlpTool::WarnIfOld() {
    if (!used_ || warned_ || version_.empty() || version_of_ != path_) return;
    const std::optional<std::chrono::sys_days> released = resolve::YtDlpVersionDate(version_);
    if (!released || !resolve::IsOld(*released, today_())) return;
    warned_ = true;
    const std::string warning =
        "yt-dlp " + version_ + " is old; sites change often \u2014 update it (pipx upgrade yt-dlp)";
    watchers_.Notify([&](YtDlpWatcher& w) { w.OnYtDlpOld(warning); });
}

std::string YtDlpTool::Description() const {
    if (!path_) return "yt-dlp: not installed";
    if (version_.empty() || version_of_ != *path_) return "yt-dlp (" + *path_ + ")";
    return "yt-dlp " + version_ + " (" + *path_ + ")";
}

} // namespace tarnwick::driver
