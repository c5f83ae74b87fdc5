// The pieces of a streamed video, fetched up to four at once and written to
// one file strictly in their order: a piece that arrives early waits in
// memory, and no more pieces are asked for while 64 MiB wait. Encrypted
// pieces are decrypted before they are written, with each key fetched once
// and kept in memory only; undecrypted bytes are never written.
#pragma once

#include "driver/retried_fetch.h"
#include "platform/piece_cipher.h"
#include "transfer/download_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::driver {

struct StreamPiece {
    std::string uri;
    std::optional<transfer::PieceRequest::Range> range = std::nullopt;
    // AES-128 with the key at `key_uri` and `iv`, when the piece is encrypted.
    struct Key {
        std::string uri;
        std::array<uint8_t, 16> iv{};
    };
    std::optional<Key> key = std::nullopt;
};

class PieceDownload {
public:
    static constexpr size_t kAtOnce = 4;
    static constexpr size_t kMostWaitingBytes = 64 << 20;
    // Pieces are asked for at most this far ahead of the one written next.
    static constexpr size_t kMostAhead = 16;

    // Told after pieces were written: `on_disk` bytes hold the first
    // `written` pieces, and nothing else.
    struct Progress {
        size_t written = 0; // pieces
        size_t total = 0;   // pieces
        int64_t on_disk = 0;
        // The playing time of the pieces written, and of all of them, where
        // the caller knows it.
        int64_t done_ms = 0;
        int64_t total_ms = 0;
    };
    using ProgressHandler = std::function<void(const Progress&)>;
    using DoneHandler = std::function<void(Outcome)>;

    PieceDownload(const PieceRequests& requests, const platform::PieceCipher* cipher,
                  std::vector<StreamPiece> pieces);
    ~PieceDownload();
    PieceDownload(const PieceDownload&) = delete;
    PieceDownload& operator=(const PieceDownload&) = delete;

    // Writes the pieces from `first` on at the end of `file`, which stays
    // open. `on_done` is called once, from the event loop, after the last
    // piece was written (and flushed) or on the first failure; the download
    // may be destroyed from inside it. Destroying it before ends every request.
    void Start(transfer::DownloadFile& file, size_t first, ProgressHandler on_progress,
               DoneHandler on_done);

private:
    void AskForMore();
    void OnPiece(size_t index, transfer::PieceFetch::Result result);
    void FetchKey(const std::string& uri);
    void OnKey(const std::string& uri, transfer::PieceFetch::Result result);
    void WriteWhatIsReady();
    Result<std::string> Decrypted(const StreamPiece& piece, std::string bytes) const;
    void Fail(Failure failure);

    const PieceRequests& requests_;
    const platform::PieceCipher* cipher_;
    std::vector<StreamPiece> pieces_;
    transfer::DownloadFile* file_ = nullptr;
    ProgressHandler on_progress_;
    DoneHandler on_done_;
    size_t next_to_ask_ = 0;
    size_t next_to_write_ = 0;
    std::map<size_t, std::unique_ptr<RetriedFetch>> fetching_;
    // Pieces that arrived, by index, until their turn to be written.
    std::map<size_t, std::string> waiting_;
    size_t waiting_bytes_ = 0;
    std::map<std::string, std::string> keys_;
    std::map<std::string, std::unique_ptr<RetriedFetch>> key_fetches_;
    std::unique_ptr<platform::Timer> nothing_left_;
};

} // namespace tarnwick::driver
