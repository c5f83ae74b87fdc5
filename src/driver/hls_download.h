// A video streamed as HLS, downloaded whole into one file: the playlist is
// read (a master playlist's best stream that carries its own sound is taken),
// a live or protected stream is refused before any file is made, and the
// pieces are then written in order into the item's temporary file, which is
// synced before the end is told.
#pragma once

#include "driver/piece_download.h"
#include "driver/retried_fetch.h"
#include "hls/media_playlist.h"
#include "platform/background_work.h"
#include "platform/piece_cipher.h"
#include "transfer/download_file.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::driver {

class HlsDownload {
public:
    // What the playlists promise, for naming the file.
    struct Plan {
        hls::SegmentFormat format = hls::SegmentFormat::kMpegTs;
        size_t pieces = 0;
        // The master playlist names AAC sound.
        bool aac = false;
        // The sound comes as a stream of its own, written to a second file
        // for ffmpeg to join; such pieces are not kept for a later try.
        bool sound_apart = false;
        // Tells one list of pieces (their addresses and ranges) from another.
        uint64_t fingerprint = 0;
    };
    using ReadyHandler = std::function<void(const Plan&)>;
    using PathChooser = std::function<std::string(int attempt)>;
    using ProgressHandler = PieceDownload::ProgressHandler;
    using DoneHandler = std::function<void(Outcome)>;

    HlsDownload(const PieceRequests& requests, const platform::PieceCipher* cipher,
                platform::BackgroundWork& background);
    ~HlsDownload();
    HlsDownload(const HlsDownload&) = delete;
    HlsDownload& operator=(const HlsDownload&) = delete;

    // Reads the playlist at `address`: `on_ready` hears the plan, or
    // `on_done` the failure. Either is called once, from the event loop,
    // and may destroy the download. A stream whose sound comes apart is
    // taken only when `can_join` says the two can be joined.
    void Start(const std::string& address, bool can_join, ReadyHandler on_ready,
               DoneHandler on_done);
    // Pieces an earlier try wrote: `kept` bytes of the file at `path` hold
    // the first `written` of them.
    struct Earlier {
        std::string path;
        int64_t kept = 0;
        size_t written = 0;
    };
    // After the plan: writes the pieces into the earlier try's file, after
    // its pieces, or else into a new temporary file at the first free path
    // of `temporary_path`. Fails at once when that file cannot be taken on
    // or made. Else `on_done` is called once, from the event loop, and the
    // file is then closed; the caller owns it.
    // A sound that comes apart goes, after the picture, into a new file at
    // the first free path of `sound_path`.
    Status Write(const std::optional<Earlier>& earlier, const PathChooser& temporary_path,
                 const PathChooser& sound_path, ProgressHandler on_progress, DoneHandler on_done);
    // The temporary file; empty before it is made.
    const std::string& TemporaryPath() const { return file_.Path(); }
    int64_t OnDisk() const { return file_.OnDisk(); }
    // The playing time of the first `pieces` pieces, after the plan.
    int64_t PlayingTimeOf(size_t pieces) const {
        return elapsed_ms_.empty() ? 0 : elapsed_ms_[std::min(pieces, elapsed_ms_.size() - 1)];
    }
    // The sound's file, when the sound comes apart; empty before it is made.
    const std::string& SoundPath() const { return sound_file_.Path(); }

private:
    void ReadPlaylist(const std::string& address);
    void OnPlaylist(transfer::PieceFetch::Result result);
    void OnMediaPlaylist(const hls::MediaPlaylist& playlist);
    void OnPiecesDone(Outcome outcome);
    void WriteSound();
    void NoteDurations(const hls::MediaPlaylist& playlist);
    void Tell(PieceDownload::Progress progress);
    void SyncFiles();
    void Finish(Outcome outcome);

    const PieceRequests& requests_;
    const platform::PieceCipher* cipher_;
    platform::BackgroundWork& background_;
    ReadyHandler on_ready_;
    DoneHandler on_done_;
    std::unique_ptr<RetriedFetch> playlist_fetch_;
    bool can_join_ = false;
    int masters_read_ = 0;
    bool aac_ = false;
    // The sound's own playlist, when it comes apart.
    std::optional<std::string> sound_address_;
    std::vector<StreamPiece> pieces_;
    std::vector<StreamPiece> sound_pieces_;
    Plan plan_;
    transfer::DownloadFile file_;
    transfer::DownloadFile sound_file_;
    PathChooser sound_path_;
    ProgressHandler on_progress_;
    // The playing time of the first n pieces, picture then sound, at [n].
    std::vector<int64_t> elapsed_ms_;
    std::unique_ptr<PieceDownload> pieces_download_;
    platform::BackgroundWork::Ticket syncing_;
};

// What an item keeps as its file's version while it holds pieces of a
// stream: "hls:" with the pieces written, the pieces in all and the
// fingerprint of their list, which no ETag or date can be.
struct StreamProgress {
    size_t written = 0;
    size_t total = 0;
    uint64_t fingerprint = 0;
    bool operator==(const StreamProgress&) const = default;
};
std::string StreamMark(const StreamProgress& progress);
// What a stream mark tells; none for any other text.
std::optional<StreamProgress> ReadStreamMark(std::string_view mark);

// The pieces of a media playlist in the order they are written: the first
// map (initialisation section), if any, then every segment.
std::vector<StreamPiece> PiecesOf(const hls::MediaPlaylist& playlist);

} // namespace tarnwick::driver
