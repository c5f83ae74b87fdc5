// Reads a streamed video's playlists into a plan: a master playlist's best
// stream that carries its own sound is taken (or, where ffmpeg can join
// them, the best picture with its sound apart), a live or protected stream
// is refused, and the media playlists' pieces become the plan's sources,
// with the subtitles the master offers.
#pragma once

#include "common/result.h"
#include "driver/plan.h"
#include "transfer/fetch.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::driver {

class StreamReading {
public:
    using DoneHandler = std::function<void(Result<Plan> plan)>;

    // A master playlist's variants taller than `max_height` lets through
    // are left out (0: none are); with `sound_only`, its sound is taken
    // with as little picture as it offers.
    explicit StreamReading(transfer::RequestContext& requests, int64_t max_height = 0,
                           bool sound_only = false)
        : requests_(requests), max_height_(max_height), sound_only_(sound_only) {}
    StreamReading(const StreamReading&) = delete;
    StreamReading& operator=(const StreamReading&) = delete;

    // `on_done` is called once, from the event loop, and may destroy the
    // reading. A stream whose sound comes apart is taken only when
    // `can_join` says the two can be joined.
    void Start(const std::string& address, bool can_join, DoneHandler on_done);

private:
    void Read(const std::string& address);
    void OnPlaylist(transfer::FetchEnd end);
    void OnMaster(const std::string& body, const std::string& address);
    void OnMedia(const hls::MediaPlaylist& playlist);
    void Finish(Result<Plan> plan);

    transfer::RequestContext& requests_;
    int64_t max_height_ = 0;
    bool sound_only_ = false;
    bool can_join_ = false;
    DoneHandler on_done_;
    std::unique_ptr<transfer::Fetch> fetch_;
    int masters_read_ = 0;
    bool aac_ = false;
    // The sound's own playlist, when it comes apart.
    std::optional<std::string> sound_address_;
    std::optional<StreamSource> picture_;
    std::optional<std::vector<resolve::SubtitleOffer>> offered_subtitles_;
};

} // namespace tarnwick::driver
