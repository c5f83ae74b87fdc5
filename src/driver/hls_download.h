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

#include <functional>
#include <memory>
#include <string>
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
    // and may destroy the download.
    void Start(const std::string& address, ReadyHandler on_ready, DoneHandler on_done);
    // After the plan: creates the temporary file at the first free path of
    // `temporary_path` and writes the pieces into it; fails at once when no
    // file can be made. Else `on_done` is called once, from the event loop,
    // and the file is then closed; the caller owns it.
    Status Write(PathChooser temporary_path, ProgressHandler on_progress, DoneHandler on_done);
    // The temporary file; empty before it is made.
    const std::string& TemporaryPath() const { return file_.Path(); }
    int64_t OnDisk() const { return file_.OnDisk(); }

private:
    void ReadPlaylist(const std::string& address);
    void OnPlaylist(transfer::PieceFetch::Result result);
    void OnMediaPlaylist(const hls::MediaPlaylist& playlist);
    void OnPiecesDone(Outcome outcome);
    void Finish(Outcome outcome);

    const PieceRequests& requests_;
    const platform::PieceCipher* cipher_;
    platform::BackgroundWork& background_;
    ReadyHandler on_ready_;
    DoneHandler on_done_;
    std::unique_ptr<RetriedFetch> playlist_fetch_;
    bool read_master_ = false;
    bool aac_ = false;
    std::vector<StreamPiece> pieces_;
    Plan plan_;
    transfer::DownloadFile file_;
    std::unique_ptr<PieceDownload> pieces_download_;
    platform::BackgroundWork::Ticket syncing_;
};

// The pieces of a media playlist in the order they are written: the first
// map (initialisation section), if any, then every segment.
std::vector<StreamPiece> PiecesOf(const hls::MediaPlaylist& playlist);

} // namespace tarnwick::driver
