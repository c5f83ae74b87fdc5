// The subtitles chosen for an item, fetched one after another with the
// item's requests and written into temporary files of the item's beside its
// video; a stream's subtitles, a playlist of WebVTT pieces, are fetched
// piece by piece and joined into one file. A subtitle that cannot be had is
// left out and named: it never fails the item.
#pragma once

#include "resolve/subtitle_choice.h"
#include "transfer/page_fetch.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::driver {

struct FetchedSubtitle {
    std::string language;
    // "srt" or "vtt".
    std::string ext;
    // The temporary file that holds it.
    std::string path;
    bool operator==(const FetchedSubtitle&) const = default;
};

struct FetchedSubtitles {
    std::vector<FetchedSubtitle> fetched;
    // The languages whose subtitle could not be had.
    std::vector<std::string> failed;
};

// Whether `body` reads as a subtitle of the form `ext`: WebVTT begins so,
// SRT has a cue's time line; a web page or an error answer is neither.
bool LooksLikeSubtitle(const std::string& body, const std::string& ext);

class SubtitleFetching {
public:
    // A new temporary path for the subtitle, where nothing is; the files it
    // names are the item's, swept as strays after a crash.
    using PathFor = std::function<std::string(const resolve::ChosenSubtitle&)>;
    using DoneHandler = std::function<void(FetchedSubtitles)>;

    SubtitleFetching(transfer::RequestContext& requests, PathFor path_for)
        : requests_(requests), path_for_(std::move(path_for)) {}
    // Ended before it is done, it removes the files it wrote.
    ~SubtitleFetching();
    SubtitleFetching(const SubtitleFetching&) = delete;
    SubtitleFetching& operator=(const SubtitleFetching&) = delete;

    // `on_done` is called once, from the event loop, and may destroy this.
    void Start(std::vector<resolve::ChosenSubtitle> wanted, DoneHandler on_done);

private:
    void FetchNext();
    void Fetch(const std::string& address, std::function<void(std::string body)> on_body);
    void OnPlaylist(const std::string& playlist, const std::string& address);
    void FetchPiece();
    // The subtitle now fetched ends with `body`, empty when it could not be had.
    void Settle(const std::string& body);
    std::string Write(const std::string& body) const;

    transfer::RequestContext& requests_;
    PathFor path_for_;
    std::vector<resolve::ChosenSubtitle> wanted_;
    size_t next_ = 0;
    std::unique_ptr<transfer::PageFetch> fetch_;
    // The pieces of the subtitle now fetched, when it comes in pieces.
    std::vector<std::string> piece_addresses_;
    std::vector<std::string> pieces_;
    int64_t piece_bytes_ = 0;
    FetchedSubtitles done_;
    DoneHandler on_done_;
};

} // namespace tarnwick::driver
