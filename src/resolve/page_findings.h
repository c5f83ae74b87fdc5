// What a page offers as it writes it, gathered while the page is read: the
// video addresses, with what it declares about them, its base address and
// its links to video files. Once the page is read, they become candidates:
// absolute web addresses in page order.
#pragma once

#include "resolve/video_candidates.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::resolve {

enum class VideoOrigin { kPage, kOpenGraph, kTwitter };

// What a page declares once for all of its Open Graph videos, or for its
// Twitter streams; the first declaration of each counts.
struct DeclaredVideo {
    std::optional<std::string> type;
    std::optional<long> width;
    std::optional<long> height;
};

class PageFindings {
public:
    // A page keeps no more addresses of either kind.
    static constexpr size_t kMaxAddresses = 10000;

    explicit PageFindings(std::string page_address);

    // The address the page came from after all, when a redirect took it elsewhere.
    void SetPageAddress(std::string page_address) { page_address_ = std::move(page_address); }

    // Only the first base address counts.
    void AddBase(std::string_view written);
    // `preference` orders a page's Open Graph addresses, lowest first.
    void AddVideo(VideoCandidate written, VideoOrigin origin = VideoOrigin::kPage,
                  int preference = 0);
    void AddVideoLink(std::string_view written);
    size_t RoomForVideos() const { return kMaxAddresses - videos_.size(); }

    DeclaredVideo open_graph;
    DeclaredVideo twitter;

    // The videos that name web addresses, resolved, with what was declared
    // for them, in page order; the page's Open Graph videos together where
    // the first of them stands. Those that declare no video are left out.
    std::vector<VideoCandidate> Candidates() const;
    // The links to video files that name web addresses, resolved.
    std::vector<VideoCandidate> VideoLinks() const;

private:
    struct Found {
        VideoCandidate video;
        VideoOrigin origin;
        int preference;
    };

    std::string BaseAddress() const;
    void AddCandidate(const Found& found, const std::string& base,
                      std::vector<VideoCandidate>& candidates) const;

    std::string page_address_;
    std::optional<std::string> base_;
    std::vector<Found> videos_;
    std::vector<std::string> video_links_;
};

} // namespace tarnwick::resolve
