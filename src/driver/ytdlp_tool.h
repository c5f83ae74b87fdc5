// The yt-dlp the user installed, where they did: looked for at each use
// (~/.local/bin first, then PATH, so that a newer pipx or pip copy wins over
// the distribution's), its version read once per path. Its watchers learn
// what was found, and, once, that it is too old to keep up with the sites.
#pragma once

#include "common/observer_list.h"
#include "platform/child_process.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::driver {

inline constexpr const char* kYtDlpName = "yt-dlp";

class YtDlpWatcher {
public:
    virtual ~YtDlpWatcher() = default;
    // Which yt-dlp there is, or its version, is newly known (Description).
    virtual void OnYtDlpFound() {}
    // Told once per run of the program, when an old yt-dlp is first used.
    virtual void OnYtDlpOld(const std::string& warning) { (void)warning; }
};

class YtDlpTool {
public:
    using Today = std::function<std::chrono::sys_days()>;

    YtDlpTool(platform::ChildProcesses& children, Today today);
    YtDlpTool(const YtDlpTool&) = delete;
    YtDlpTool& operator=(const YtDlpTool&) = delete;

    void AddWatcher(YtDlpWatcher* watcher) { watchers_.Add(watcher); }
    void RemoveWatcher(YtDlpWatcher* watcher) { watchers_.Remove(watcher); }

    // The yt-dlp found now, if any; its version is read when not yet known.
    std::optional<std::string> Find();
    // The yt-dlp found is about to be asked: an old one is told of, once.
    void NoteUse();
    // "yt-dlp VERSION (PATH)", or "yt-dlp (PATH)" while its version is
    // unknown, or "yt-dlp: not installed" -- as of the last Find.
    std::string Description() const;

private:
    void ReadVersion(const std::string& path);
    void OnVersion(const std::string& path, const platform::ChildEnd& end);
    void WarnIfOld();

    platform::ChildProcesses& children_;
    Today today_;
    std::optional<std::string> path_;
    // The version of path_, once read; empty while unknown or unreadable.
    std::string version_;
    std::string version_of_;
    std::unique_ptr<platform::Child> reading_;
    bool used_ = false;
    bool warned_ = false;
    ObserverList<YtDlpWatcher> watchers_;
};

} // namespace tarnwick::driver
