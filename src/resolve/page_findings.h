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

// What a page declares of a video beside its address: of one Open Graph
// video, or once for all of its Twitter streams. The first declaration of
// each counts.
struct DeclaredVideo {
    std::optional<std::string> type = {};
    std::optional<long> width = {};
    std::optional<long> height = {};
};

// The addresses an Open Graph video may have, in the order they are preferred:
// og:video:secure_url, og:video:url, og:video.
enum class OpenGraphAddress { kSecureUrl, kUrl, kVideo };

class PageFindings {
public:
    // A page keeps no more addresses of either kind.
    static constexpr size_t kMaxAddresses = 10000;

    explicit PageFindings(std::string page_address);

    // The address the page came from after all, when a redirect took it elsewhere.
    void SetPageAddress(std::string page_address) { page_address_ = std::move(page_address); }
    // What the page's relative addresses resolve against: its <base>, else itself.
    std::string BaseAddress() const;

    // Only the first base address counts.
    void AddBase(std::string_view written);
    // A video of the page itself, or a Twitter stream.
    void AddVideo(VideoCandidate written, VideoOrigin origin = VideoOrigin::kPage);
    // An address of an Open Graph video. An og:video or og:video:url starts
    // another video after a declaration, or after an address of its own
    // kind; og:video:secure_url is the secure address of the video before,
    // unless that one has one already.
    void AddOpenGraphVideo(std::string_view written, OpenGraphAddress kind);
    // What the page declares of the Open Graph video just before; of the
    // first one, when it comes before any.
    void DeclareOpenGraph(const DeclaredVideo& declared);
    void AddVideoLink(std::string_view written);
    size_t RoomForVideos() const { return kMaxAddresses - videos_.size(); }

    DeclaredVideo twitter;

    // The videos that name web addresses, resolved, with what was declared
    // for them, in page order; the page's Open Graph videos together where
    // the first of them stands, each one's addresses in the order preferred.
    // Those that declare no video are left out.
    std::vector<VideoCandidate> Candidates() const;
    // The links to video files that name web addresses, resolved.
    std::vector<VideoCandidate> VideoLinks() const;

private:
    // One Open Graph video: which kinds of address it has, and what the
    // page declares of it.
    struct OpenGraphVideo {
        unsigned addresses = 0; // a bit for each kind
        bool declared_any = false;
        DeclaredVideo declared;
    };
    struct Found {
        VideoCandidate video;
        VideoOrigin origin;
        // Of an Open Graph address: its video, and its kind.
        size_t open_graph = 0;
        OpenGraphAddress kind = OpenGraphAddress::kVideo;
    };

    bool StartsAnotherVideo(OpenGraphAddress kind) const;
    void AddFound(Found found);
    void AddCandidate(const Found& found, const std::string& base,
                      std::vector<VideoCandidate>& candidates) const;

    std::string page_address_;
    std::optional<std::string> base_;
    std::vector<Found> videos_;
    std::vector<OpenGraphVideo> open_graph_;
    std::vector<std::string> video_links_;
};

} // namespace tarnwick::resolve
