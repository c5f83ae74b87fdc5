#include "resolve/page_findings.h"

#include "resolve/url_resolution.h"

#include <algorithm>
#include <utility>

namespace tarnwick::resolve {
namespace {

// Longer addresses are no server's (and data: addresses are not wanted).
constexpr size_t kMaxAddressLength = 8192;

void ApplyDeclared(const DeclaredVideo& declared, VideoCandidate& video) {
    if (video.type.empty()) video.type = declared.type.value_or("");
    if (!video.width) video.width = declared.width;
    if (!video.height) video.height = declared.height;
}

template <typename T>
void KeepFirst(std::optional<T>& kept, const std::optional<T>& value) {
    if (!kept) kept = value;
}

unsigned BitOf(OpenGraphAddress kind) { return 1U << static_cast<unsigned>(kind); }

} // namespace

PageFindings::PageFindings(std::string page_address) : page_address_(std::move(page_address)) {}

void PageFindings::AddBase(std::string_view written) {
    if (!base_) base_ = std::string(written);
}

void PageFindings::AddFound(Found found) {
    if (RoomForVideos() == 0 || found.video.address.size() > kMaxAddressLength) return;
    videos_.push_back(std::move(found));
}

void PageFindings::AddVideo(VideoCandidate written, VideoOrigin origin) {
    AddFound(Found{std::move(written), origin});
}

bool PageFindings::StartsAnotherVideo(OpenGraphAddress kind) const {
    if (open_graph_.empty()) return true;
    const OpenGraphVideo& last = open_graph_.back();
    if ((last.addresses & BitOf(kind)) != 0) return true;
    return kind != OpenGraphAddress::kSecureUrl && last.addresses != 0 && last.declared_any;
}

void PageFindings::AddOpenGraphVideo(std::string_view written, OpenGraphAddress kind) {
    if (StartsAnotherVideo(kind)) {
        if (open_graph_.size() == kMaxAddresses) return;
        open_graph_.emplace_back();
    }
    open_graph_.back().addresses |= BitOf(kind);
    VideoCandidate video;
    video.address = written;
    AddFound(Found{std::move(video), VideoOrigin::kOpenGraph, open_graph_.size() - 1, kind});
}

void PageFindings::DeclareOpenGraph(const DeclaredVideo& declared) {
    if (open_graph_.empty()) open_graph_.emplace_back();
    OpenGraphVideo& video = open_graph_.back();
    KeepFirst(video.declared.type, declared.type);
    KeepFirst(video.declared.width, declared.width);
    KeepFirst(video.declared.height, declared.height);
    video.declared_any = true;
}

void PageFindings::AddVideoLink(std::string_view written) {
    if (video_links_.size() == kMaxAddresses || written.size() > kMaxAddressLength) return;
    if (HasVideoExtension(written)) video_links_.emplace_back(written);
}

std::string PageFindings::BaseAddress() const {
    if (!base_) return page_address_;
    return WebAddressIn(page_address_, *base_).value_or(page_address_);
}

void PageFindings::AddCandidate(const Found& found, const std::string& base,
                                std::vector<VideoCandidate>& candidates) const {
    VideoCandidate video = found.video;
    if (found.origin == VideoOrigin::kOpenGraph) {
        ApplyDeclared(open_graph_[found.open_graph].declared, video);
    }
    if (found.origin == VideoOrigin::kTwitter) ApplyDeclared(twitter, video);
    std::optional<std::string> address = WebAddressIn(base, video.address);
    if (!address || DeclaresNoVideo(video)) return;
    video.address = std::move(*address);
    candidates.push_back(std::move(video));
}

std::vector<VideoCandidate> PageFindings::Candidates() const {
    std::vector<const Found*> open_graph_videos;
    for (const Found& found : videos_) {
        if (found.origin == VideoOrigin::kOpenGraph) open_graph_videos.push_back(&found);
    }
    std::stable_sort(
        open_graph_videos.begin(), open_graph_videos.end(), [](const Found* a, const Found* b) {
            return std::pair(a->open_graph, a->kind) < std::pair(b->open_graph, b->kind);
        });

    const std::string base = BaseAddress();
    std::vector<VideoCandidate> candidates;
    bool open_graph_added = false;
    for (const Found& found : videos_) {
        if (found.origin != VideoOrigin::kOpenGraph) {
            AddCandidate(found, base, candidates);
        } else if (!open_graph_added) {
            for (const Found* graph : open_graph_videos) AddCandidate(*graph, base, candidates);
            open_graph_added = true;
        }
    }
    return candidates;
}

std::vector<VideoCandidate> PageFindings::VideoLinks() const {
    const std::string base = BaseAddress();
    std::vector<VideoCandidate> links;
    for (const std::string& written : video_links_) {
        std::optional<std::string> address = WebAddressIn(base, written);
        if (!address || !HasVideoExtension(*address)) continue;
        VideoCandidate link;
        link.address = std::move(*address);
        links.push_back(std::move(link));
    }
    return links;
}

} // namespace tarnwick::resolve
