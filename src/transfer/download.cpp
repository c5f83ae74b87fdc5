#include "transfer/download.h"

#include "transfer/header_parse.h"
#include "transfer/partial_file.h"
#include "transfer/transfer_failure.h"
#include "transfer/url_helpers.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace tarnwick::transfer {

using Outcome = platform::BlockingHttpReadResult::Outcome;

// Marks the component busy for one probe or transfer; a second one started
// from an event handler or a yield is refused.
class Download::BusyGuard {
public:
    explicit BusyGuard(Download& download) : download_(download) {
        if (download_.busy_) throw TransferFailure("A probe or transfer is already running");
        download_.busy_ = true;
    }
    ~BusyGuard() {
        download_.busy_ = false;
        download_.transfer_running_ = false;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    Download& download_;
};

Download::Download(platform::BlockingHttpClient& client, platform::EventPump& pump)
    : client_(client), pump_(pump) {}

Download::~Download() = default;

std::string Download::TemporaryFile() const { return PartialFile::PathFor(local_file_); }

void Download::RequestInformation() {
    BusyGuard guard(*this);
    Probe();
}

bool Download::StartDownload() {
    BusyGuard guard(*this);
    return RunTransfer();
}

bool Download::RunTransfer() {
    cancel_requested_ = false;
    transfer_running_ = true;
    status_code_ = 0;
    Yield();
    if (!session_) OpenSession();
    Yield();
    close_session_after_probe_ = false;
    if (!info_requested_) Probe();
    close_session_after_probe_ = true;
    Yield();

    std::unique_ptr<platform::BlockingHttpBody> body;
    if (session_) body = session_->OpenUrl(url_, WaitLimits());
    if (!body) {
        if (cancel_requested_) {
            // The wait for the answer was given up on request.
            RaiseCancelled(0);
            CloseSession();
            return false;
        }
        RaiseError(kCouldNotFind);
        return false;
    }
    status_code_ = body->StatusCode();
    Yield();
    // A file that cannot be opened throws: the body is released, the session stays.
    PartialFile file(local_file_);
    if (!ReadBody(body, file)) return false;

    CloseSession();
    if (ShouldCommit()) {
        file.CommitToTarget();
    } else {
        file.Close();
    }
    RaiseComplete();
    return true;
}

// Reads the body to its end; false when the transfer ended otherwise, with
// its event raised and everything closed. On success only the body is closed.
bool Download::ReadBody(std::unique_ptr<platform::BlockingHttpBody>& body, PartialFile& file) {
    int64_t byte_count = 0;
    bool finished = false;
    for (;;) {
        Yield();
        // The bytes are read straight into the local file's buffer.
        char* buffer = file.WriteSpace(kChunkSize);
        const platform::BlockingHttpReadResult read = body->Read(buffer, kChunkSize);
        Yield();
        const bool over_limit =
            body_limit_ > 0 && byte_count + static_cast<int64_t>(read.count) > body_limit_;
        if (read.outcome == Outcome::kFailed || over_limit) {
            Yield();
            body.reset();
            CloseSession();
            file.Close();
            RaiseError(kCouldNotRead);
            return false;
        }
        Yield();
        byte_count += static_cast<int64_t>(read.count);
        Yield();
        if (read.count > 0) {
            file.Wrote(read.count);
            Yield();
        } else if (read.outcome == Outcome::kData) {
            finished = true;
        }
        RaiseProgress(ProgressValue(byte_count, file_size_));
        Yield();
        if (cancel_requested_) {
            Yield();
            RaiseCancelled(byte_count);
            body.reset();
            CloseSession();
            file.Close();
            return false;
        }
        Yield();
        if (finished) break;
    }
    body.reset();
    return true;
}

void Download::Probe() {
    info_requested_ = true;
    std::string host = url_;
    std::string path;
    SplitUrl(host, path);
    Yield();
    if (!session_) OpenSession();
    Yield();

    std::optional<platform::BlockingHttpCredentials> credentials;
    if (!site_user_.empty())
        credentials = platform::BlockingHttpCredentials{site_user_, site_password_};
    std::unique_ptr<platform::BlockingHttpConnection> connection;
    std::unique_ptr<platform::BlockingHttpRequest> request;
    if (session_) connection = session_->Connect(host, IsSecureUrl(url_), credentials);
    if (connection) request = connection->OpenHeadRequest(path, WaitLimits());
    if (request) {
        Yield();
        request->Send();
        Yield();
        const std::optional<std::string> raw = request->RawHeaders();
        if (raw && FitsHeaderBuffer(*raw)) {
            TakeHeaderValues(*raw);
        } else {
            TakeFallbackValues(*request);
        }
    }
    Yield();
    request.reset();
    connection.reset();
    if (close_session_after_probe_) CloseSession();
}

// Each finding is stored as soon as it is read, so a Content-Length that is
// not a number leaves the date of this answer and the rest of the last one.
void Download::TakeHeaderValues(const std::string& raw) {
    last_modified_ = HeaderValue(raw, "last-modified: ").value_or(kNotAvailable);
    Yield();
    const std::optional<std::string> length = HeaderValue(raw, "content-length: ");
    if (length) {
        const std::optional<float> size = ContentLengthValue(*length);
        if (!size) throw TransferFailure("Type mismatch");
        file_size_ = *size;
    } else {
        file_size_ = -1.0f;
    }
    Yield();
    remote_file_name_ = HeaderValue(raw, "filename=").value_or("");
    Yield();
    const std::optional<std::string> type = HeaderValue(raw, "Content-Type: ");
    remote_file_type_ = type ? TypeAfterSlash(*type) : "";
    Yield();
    file_exists_ = AnswerShowsFile(raw);
}

void Download::TakeFallbackValues(const platform::BlockingHttpRequest& request) {
    Yield();
    file_exists_ = StripNull(request.StatusCode()) == "200";
    last_modified_ = kNotAvailable;
    file_size_ = -1.0f;
}

void Download::OpenSession() { session_ = client_.OpenSession(kUserAgent); }

bool Download::ShouldCommit() const { return commit_error_answers_ || status_code_ < 400; }

platform::BlockingHttpWaitLimits Download::WaitLimits() const {
    platform::BlockingHttpWaitLimits limits;
    limits.open_limit = open_limit_;
    limits.stall_limit = stall_limit_;
    // A probe asked for by the host is not ended by a cancel left over from
    // an earlier transfer.
    limits.give_up = [this] { return transfer_running_ && cancel_requested_; };
    return limits;
}

void Download::RaiseComplete() {
    if (events_ != nullptr) events_->DownloadComplete();
}

void Download::RaiseProgress(int64_t lProgress) {
    if (events_ != nullptr) events_->DownloadProgress(lProgress);
}

void Download::RaiseError(const std::string& sErrorDescription) {
    if (events_ != nullptr) events_->DownloadError(sErrorDescription);
}

void Download::RaiseCancelled(int64_t lPosition) {
    if (events_ != nullptr) events_->DownloadCancelled(lPosition);
}

int64_t ProgressValue(int64_t byte_count, float file_size) {
    if (!(file_size > 0)) return byte_count;
    const double percent =
        std::nearbyint(static_cast<double>(byte_count) / static_cast<double>(file_size) * 100.0);
    constexpr double kLimit = 9223372036854775807.0; // 2 to the 63, as a double
    if (percent >= kLimit) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(percent);
}

} // namespace tarnwick::transfer
