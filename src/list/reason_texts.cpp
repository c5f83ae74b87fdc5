#include "list/reason_texts.h"

#include "resolve/file_naming.h"

#include <cstdio>
#include <iterator>
#include <map>

namespace tarnwick::list {
namespace {

// Whole per cents, never rounded up to a whole it has not reached.
int64_t FloorPercent(int64_t part, int64_t whole) {
    return static_cast<int64_t>(static_cast<double>(part) / static_cast<double>(whole) * 100.0);
}

std::string WithDetail(std::string text, const std::string& detail) {
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

// How far the video came: " at 40% (1.9 of 4.8 MB)", " after 1.9 MB", or
// nothing before the first byte.
std::string HowFar(const DownloadItem& item) {
    if (item.received <= 0) return {};
    if (item.size_kind == SizeKind::kKnown && item.total_size >= item.received) {
        return " at " + std::to_string(FloorPercent(item.received, item.total_size)) + "% (" +
               AmountOf(item.received, item.total_size) + ")";
    }
    return " after " + resolve::FormatFileSize(static_cast<float>(item.received));
}

std::string StatusReason(const char* text, int http_status, const std::string& detail) {
    if (http_status >= 400) return std::string(text) + " (" + HttpStatusText(http_status) + ")";
    return WithDetail(text, detail);
}

// The finished file, kept under its temporary name.
std::string NotClaimed(const DownloadItem& item, const std::string& detail) {
    const std::vector<std::string> files = KeptFilesOf(item);
    const std::string path = files.empty() ? std::string() : files.front();
    const size_t slash = path.find_last_of("/\\");
    const std::string kept = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string text = WithDetail("The finished file could not take its name", detail);
    if (!kept.empty()) text += "; it is kept as " + kept;
    return text;
}

} // namespace

std::string HttpStatusText(int status) {
    static const std::map<int, const char*> kWords = {
        {206, "Partial Content"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {408, "Request Timeout"},
        {410, "Gone"},
        {416, "Range Not Satisfiable"},
        {429, "Too Many Requests"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
    };
    const auto found = kWords.find(status);
    const std::string number = std::to_string(status);
    return found == kWords.end() ? number : number + " " + found->second;
}

std::string AmountOf(int64_t part, int64_t whole) {
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    if (whole < 1024) return std::to_string(part) + " of " + std::to_string(whole) + " bytes";
    double scale = 1024.0;
    size_t unit = 0;
    while (unit + 1 < std::size(kUnits) && static_cast<double>(whole) >= scale * 1024.0) {
        scale *= 1024.0;
        ++unit;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%.1f of %.1f %s", static_cast<double>(part) / scale,
                  static_cast<double>(whole) / scale, kUnits[unit]);
    return text;
}

std::string ReasonText(const DownloadItem& item) {
    // A complete item may tell how it came to be so.
    if ((item.state != ItemState::kFailed && item.state != ItemState::kComplete) ||
        !item.rare->failure) {
        return {};
    }
    const Failure& failure = *item.rare->failure;
    switch (failure.reason) {
        case Reason::kUnsupportedSite: return "This site is not supported";
        case Reason::kPageNotFetched:
            return StatusReason("The page could not be fetched", failure.http_status,
                                failure.detail);
        case Reason::kNoLinkInPage: return "No video was found in the page";
        case Reason::kVideoNotFound:
            return "The video file was not found (" + std::to_string(failure.http_status) + ")";
        case Reason::kErrorAnswer:
            // Any status tells: a part nobody asked for (206) is refused too.
            if (failure.http_status <= 0) return "The server refused the video";
            return "The server refused the video (" + HttpStatusText(failure.http_status) + ")";
        case Reason::kConnectionLost:
            if (item.received <= 0) {
                return WithDetail("The video's server could not be reached", failure.detail);
            }
            return "The connection was lost" + HowFar(item);
        case Reason::kOpenTimeout: return "The server did not answer in time";
        case Reason::kStallTimeout: return "The server stopped sending" + HowFar(item);
        case Reason::kWriteFailed:
            return WithDetail("The file could not be written", failure.detail);
        case Reason::kDiskFull: return "The disk is full";
        case Reason::kFolderUnusable: return "The download folder cannot be written";
        case Reason::kHtmlInsteadOfVideo: return "The server sent a web page instead of a video";
        case Reason::kStreamedVideo:
            return "This page streams its video in pieces (DASH), which Tarnwick does not "
                   "download";
        case Reason::kPageTooSlow: return "The page came too slowly";
        case Reason::kPrivateAddress:
            return WithDetail(
                "An address on the internet led to a local or private one, which "
                "Tarnwick does not follow",
                failure.detail);
        case Reason::kNameNotClaimed: return NotClaimed(item, failure.detail);
        case Reason::kLiveStream: return "This is a live stream, which Tarnwick does not record";
        case Reason::kProtectedVideo: return "This video is protected (DRM)";
        case Reason::kSoundSeparate:
            return "This video's sound comes separately; install ffmpeg to join it";
        case Reason::kPlaylistUnreadable:
            return WithDetail("The video's playlist could not be read", failure.detail);
        case Reason::kNotDecrypted:
            return WithDetail("The video's pieces could not be decrypted", failure.detail);
        case Reason::kNotJoined:
            return WithDetail("The video's parts could not be joined", failure.detail);
        case Reason::kResolverFailed: return "yt-dlp: " + failure.detail;
        case Reason::kNeedsFfmpeg: return failure.detail + " is made with ffmpeg; install ffmpeg";
        case Reason::kNote: return failure.detail;
        case Reason::kSoundNotMade:
            return WithDetail("The sound file could not be made", failure.detail);
    }
    return {};
}

} // namespace tarnwick::list
