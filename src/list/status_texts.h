// Every status and placeholder text the grid shows for an item, as written.
#pragma once

namespace tarnwick::status {

inline constexpr const char* kWaiting = "Waiting";
inline constexpr const char* kLinkNotSupported = "Link is not supported";
inline constexpr const char* kErrorFileName = "ERROR";
inline constexpr const char* kAutoDetect = "Waiting (Auto Detect)";
inline constexpr const char* kUnknownSize = "????";
inline constexpr const char* kPreparingStart = "Preperaing (0%)";
inline constexpr const char* kPreparingPrefix = "Preperaing (";
inline constexpr const char* kPreparingSuffix = "%)";
inline constexpr const char* kPreparingLong = "Preperaing...";
inline constexpr const char* kStartDownloading = "Start Downloading...";
inline constexpr const char* kUnsupportedLink = "Un supported link";
inline constexpr const char* kProcessFailed = "Process failed.";
inline constexpr const char* kError = "ERROR";
inline constexpr const char* kSoFar = "so far..";
inline constexpr const char* kComplete = "Complete";
inline constexpr const char* kCancelled = "Cancelled";
// What an item waits for while no bytes come.
inline constexpr const char* kAskingYtDlp = "Asking yt-dlp…";
inline constexpr const char* kConvertingToMp4 = "Converting to MP4…";
inline constexpr const char* kConvertingToMkv = "Converting to MKV…";
inline constexpr const char* kJoining = "Joining picture and sound…";
inline constexpr const char* kMakingSound = "Making the sound file…";
inline constexpr const char* kFetchingSubtitles = "Fetching subtitles…";
inline constexpr const char* kEmbeddingSubtitles = "Putting subtitles inside…";
// The size text of a file the server has but gave no length for.
inline constexpr const char* kSizeWithoutLength = "0";

} // namespace tarnwick::status
