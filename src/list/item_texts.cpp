#include "list/item_texts.h"

#include "list/status_texts.h"
#include "resolve/file_naming.h"
#include "resolve/site_index.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace tarnwick::list {
namespace {

std::string BytesSoFar(int64_t bytes) {
    return resolve::FormatFileSize(static_cast<float>(bytes)) + status::kSoFar;
}

std::string PreparingText(const DownloadItem& item) {
    if (item.rare->page_received == 0) return status::kPreparingStart;
    if (item.rare->page_size <= 0) return status::kPreparingLong;
    const int64_t percent = PercentOf(item.rare->page_received, item.rare->page_size);
    if (percent > 100) return status::kPreparingLong;
    return status::kPreparingPrefix + std::to_string(percent) + status::kPreparingSuffix;
}

const char* ActivityName(Activity activity) {
    switch (activity) {
        case Activity::kNone: break;
        case Activity::kAskingYtDlp: return status::kAskingYtDlp;
        case Activity::kConvertingToMp4: return status::kConvertingToMp4;
        case Activity::kConvertingToMkv: return status::kConvertingToMkv;
        case Activity::kJoining: return status::kJoining;
        case Activity::kMakingSound: return status::kMakingSound;
        case Activity::kFetchingSubtitles: return status::kFetchingSubtitles;
        case Activity::kEmbeddingSubtitles: return status::kEmbeddingSubtitles;
    }
    return "";
}

// A stopped item tells how far it came, when its size is known.
std::string CancelledText(const DownloadItem& item) {
    if (item.size_kind != SizeKind::kKnown || item.total_size <= 0 || item.received <= 0) {
        return status::kCancelled;
    }
    const int64_t percent = std::min<int64_t>(PercentOf(item.received, item.total_size), 100);
    return std::string(status::kCancelled) + " (" + std::to_string(percent) + "%)";
}

// "12 s", "1 min 5 s", "2 h 3 min".
std::string DurationText(int64_t seconds) {
    if (seconds < 60) return std::to_string(seconds) + " s";
    if (seconds < 3600) {
        return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
    }
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) + " min";
}

} // namespace

std::string ActivityText(const DownloadItem& item) {
    if (!IsUnderWay(item.state) || item.rare->activity == Activity::kNone) return {};
    return std::string(ActivityName(item.rare->activity)) + " " +
           DurationText(item.rare->activity_seconds);
}

int64_t PercentOf(int64_t part, int64_t whole) {
    assert(whole > 0);
    const double percent =
        std::nearbyint(static_cast<double>(part) / static_cast<double>(whole) * 100.0);
    constexpr double kLimit = 9223372036854775807.0; // 2 to the 63, as a double
    if (percent >= kLimit) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(percent);
}

std::optional<int32_t> ProgressPercent(const DownloadItem& item) {
    if (item.state != ItemState::kDownloading) return std::nullopt;
    if (item.rare->activity != Activity::kNone) return std::nullopt;
    const bool streamed = item.size_kind == SizeKind::kStreamed && item.rare->stream_total_ms > 0;
    const bool sized = item.size_kind == SizeKind::kKnown && item.total_size > 0;
    if (!streamed && !sized) return std::nullopt;
    const int64_t percent = streamed
                                ? PercentOf(item.rare->stream_done_ms, item.rare->stream_total_ms)
                                : PercentOf(item.received, item.total_size);
    return static_cast<int32_t>(std::min<int64_t>(percent, std::numeric_limits<int32_t>::max()));
}

std::string StatusText(const DownloadItem& item) {
    if (std::string waiting = ActivityText(item); !waiting.empty()) return waiting;
    switch (item.state) {
        case ItemState::kWaiting:
            return item.site == resolve::kSiteNone ? status::kLinkNotSupported : status::kWaiting;
        case ItemState::kPreparing: return PreparingText(item);
        case ItemState::kStarting: return status::kStartDownloading;
        case ItemState::kDownloading: {
            const std::optional<int32_t> percent = ProgressPercent(item);
            return percent ? std::to_string(*percent) : BytesSoFar(item.received);
        }
        case ItemState::kComplete: return status::kComplete;
        case ItemState::kFailed: return status::kError;
        case ItemState::kCancelled: return CancelledText(item);
    }
    return {};
}

std::string FileNameText(const DownloadItem& item) {
    switch (item.name_kind) {
        case NameKind::kAutoDetect: return status::kAutoDetect;
        case NameKind::kNotSupported: return status::kErrorFileName;
        case NameKind::kUnsupportedLink: return status::kUnsupportedLink;
        case NameKind::kProcessFailed: return status::kProcessFailed;
        case NameKind::kNamed: return item.name;
    }
    return {};
}

std::string SizeText(const DownloadItem& item) {
    switch (item.size_kind) {
        case SizeKind::kNotProbed: return status::kUnknownSize;
        case SizeKind::kKnown: return resolve::FormatFileSize(static_cast<float>(item.total_size));
        case SizeKind::kExistsWithoutSize: return status::kSizeWithoutLength;
        case SizeKind::kNotFound: return resolve::FormatFileSize(-1.0f);
        case SizeKind::kNone: return {};
        case SizeKind::kStreamed: return BytesSoFar(item.received);
    }
    return {};
}

} // namespace tarnwick::list
