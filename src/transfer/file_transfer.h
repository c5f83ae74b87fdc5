// Transfers one video file: a GET of the link whose body goes into a new
// temporary file. The transfer itself decides its outcome: complete when the
// whole body came with a success status and is on disk. An error status or a
// web page writes nothing; a write that fails removes what was written; a
// transfer cut off or stopped partway keeps its bytes in the file.
#pragma once

#include "common/outcome.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/download_file.h"
#include "transfer/time_limits.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::transfer {

class FileTransfer : private platform::HttpReceiver {
public:
    // The bytes received so far, and the body's length when the answer gave one.
    // First called when the answer begins, with 0 bytes.
    using ProgressHandler = std::function<void(int64_t received, std::optional<int64_t> size)>;
    using DoneHandler = std::function<void(Outcome outcome)>;
    // The temporary file's path for the attempt-th try, from 1; a path that
    // anything has already is passed over for the next.
    using PathChooser = std::function<std::string(int attempt)>;

    FileTransfer(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits = {});
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // The handlers are called from the event loop; `on_done` once, last, and
    // the transfer may be destroyed from inside it. Destroying it before ends
    // the request at once; the bytes received stay in the temporary file.
    void Start(const std::string& link, PathChooser temporary_path, ProgressHandler on_progress,
               DoneHandler on_done);

    // The temporary file, from the moment the answer began.
    const std::string& TemporaryPath() const { return file_.Path(); }

private:
    void OnAnswer(const platform::HttpAnswer& answer) override;
    void OnBody(const char* data, size_t size) override;
    void OnEnd(const platform::HttpEnd& end) override;
    bool CreateFile();
    void FailWriting(Reason unless_full, bool discard);
    void Finish(Outcome outcome);

    platform::HttpClient& http_;
    LimitWatch watch_;
    std::unique_ptr<platform::HttpExchange> exchange_;
    PathChooser temporary_path_;
    DownloadFile file_;
    ProgressHandler on_progress_;
    DoneHandler on_done_;
    int http_status_ = 0;
    std::optional<int64_t> size_;
    int64_t received_ = 0;
};

// How an answer's status ends a video transfer: none for a success status.
std::optional<Failure> FailureOfStatus(int http_status);

} // namespace tarnwick::transfer
