// The pieces of a stream, fetched as many at once as one download may open
// connections, and written into one file strictly in their order: a piece
// that arrives early waits in memory, and no more pieces are asked for while
// 64 MiB wait or the next to ask is 16 (or twice the pieces at once) ahead of
// the next to write. Encrypted pieces are decrypted before they
// are written, with each key fetched once and kept in memory only;
// undecrypted bytes are never written. What is on disk always ends where a
// piece ends, so a later try goes on from there.
//
// A stream whose pieces are all ranges of one resource (one file, as
// ffmpeg's single-file HLS writes it), from a server that ignores ranges,
// is that resource: it is then taken once, whole, as a file.
#pragma once

#include "driver/download.h"
#include "transfer/file_download.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::driver {

class StreamDownload : public Download {
public:
    static constexpr size_t kMostWaitingBytes = 64 << 20;
    static constexpr size_t kMostAhead = 16;
    // A piece or key that fails is tried this many times more.
    static constexpr int kRetries = 3;

    StreamDownload(const DownloadServices& services, StreamSource source,
                   transfer::PartFile::PathChooser path);
    ~StreamDownload() override;

    void Start(const std::optional<transfer::Kept>& kept, Calls calls) override;
    std::optional<transfer::Kept> Keep() const override;
    std::vector<std::string> Files() const override;
    void Abandon() override;

    // Whether `kept` holds pieces of this very list.
    static bool Fits(const StreamSource& source, const transfer::KeptOne& kept);
    // The pieces asked for and not yet written, for tests and the trace.
    size_t Fetching() const { return fetching_.size(); }
    size_t WaitingBytes() const { return waiting_bytes_; }

private:
    void Begin(const std::optional<transfer::Kept>& kept);
    void AskForMore();
    void OnPiece(size_t index, transfer::FetchEnd end);
    void FetchKey(const std::string& uri);
    void OnKey(const std::string& uri, transfer::FetchEnd end);
    void WriteWhatIsReady();
    Result<std::string> Decrypted(const StreamPiece& piece, std::string bytes) const;
    void Tell();
    void Fail(Failure failure);
    void Finish(Outcome outcome);
    bool IsOneResource() const;
    void TakeWhole();

    transfer::RequestContext& requests_;
    platform::BackgroundWork& background_;
    const platform::PieceCipher* cipher_;
    // Pieces fetched at once, and how far ahead of the next to write.
    size_t at_once_;
    size_t most_ahead_;
    StreamSource source_;
    transfer::PartFile file_;
    transfer::PartFile::PathChooser path_;
    std::optional<transfer::PartWriter> writer_;
    Calls calls_;
    std::unique_ptr<platform::Timer> begin_;
    std::optional<transfer::Kept> kept_;
    size_t next_to_ask_ = 0;
    size_t next_to_write_ = 0;
    std::map<size_t, std::unique_ptr<transfer::Fetch>> fetching_;
    // Pieces that arrived, by index, until their turn to be written.
    std::map<size_t, std::string> waiting_;
    size_t waiting_bytes_ = 0;
    std::map<std::string, std::string> keys_;
    std::map<std::string, std::unique_ptr<transfer::Fetch>> key_fetches_;
    // The one resource all pieces are ranges of, taken whole instead.
    bool ranges_ignored_ = false;
    std::unique_ptr<transfer::FileDownload> whole_;
};

} // namespace tarnwick::driver
