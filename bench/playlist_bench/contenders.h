// The two ways of downloading the playlist that the benchmark compares, each
// timed and its result checked: the program itself, and yt-dlp.
#pragma once

#include <optional>
#include <string>

namespace tarnwick::bench {

struct TimedRun {
    double seconds = 0;
    // Why the run does not count; none when it does.
    std::optional<std::string> problem;
};

// The program in this process, as the user runs it: its window offscreen, a
// fresh user in a temporary folder of its own, other sites read and yt-dlp
// (/usr/bin/yt-dlp) asked, `downloads_at_once` items at once. The feed's
// address is added and the run started; it is timed from the add until the
// playlist has given way to its entries and every one is complete.
TimedRun RunProgram(const std::string& feed_url, int downloads_at_once);

// `yt-dlp -N 4 -o '%(title)s.%(ext)s' URL` in a fresh temporary folder, from
// its start to its end.
TimedRun RunYtDlp(const std::string& feed_url);

} // namespace tarnwick::bench
