// The benchmark's site: a feed (RSS 2.0, which yt-dlp's generic extractor
// reads as a playlist) of kEntries pages, each a player set up from
// JavaScript whose video is a file of its own bytes, served as a plain HTTP
// server serves files (ETag, ranges). The site holds each connection to
// kBytesPerSecond, as many real servers do.
#pragma once

#include "support/loopback_server.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::bench {

inline constexpr int kEntries = 50;
inline constexpr uint64_t kVideoSize = 2'000'000;
inline constexpr uint64_t kBytesPerSecond = 10'000'000;
inline constexpr const char* kFeedTarget = "/playlist.rss";

void ServePlaylistSite(test_support::LoopbackServer& server);

// None when `folder` holds exactly the videos of the entries, each named
// after its entry's title ("E1.mp4" to "E50.mp4") and holding its bytes;
// what is wrong otherwise.
std::optional<std::string> FolderProblem(const std::string& folder);

} // namespace tarnwick::bench
