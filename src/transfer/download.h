// The program's one HTTP component: a header probe that learns a remote
// file's size, type, suggested name, date and existence, and a synchronous
// transfer of one remote file into one local file in 2048-byte reads, raising
// its events on the caller's thread. Everything runs on one thread; the
// component yields to the event pump between its steps and while it waits.
#pragma once

#include "platform/blocking_http.h"
#include "platform/event_pump.h"
#include "transfer/download_events.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarnwick::transfer {

class PartialFile;

class Download {
public:
    static constexpr size_t kChunkSize = 2048;
    static constexpr const char* kUserAgent =
        "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
    static constexpr const char* kCouldNotFind = "Could not find URL";
    static constexpr const char* kCouldNotRead = "Could not read URL";
    static constexpr const char* kNotAvailable = "Not Available";

    Download(platform::BlockingHttpClient& client, platform::EventPump& pump);
    ~Download();
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // The host's handler of the events; nullptr drops them.
    void SetEvents(DownloadEvents* events) { events_ = events; }

    // Properties. Writing one has no other effect.
    const std::string& Url() const { return url_; }
    void SetUrl(const std::string& New_Url) { url_ = New_Url; }
    const std::string& LocalFile() const { return local_file_; }
    void SetLocalFile(const std::string& New_LocalFile) { local_file_ = New_LocalFile; }
    const std::string& SiteUser() const { return site_user_; }
    void SetSiteUser(const std::string& New_SiteUser) { site_user_ = New_SiteUser; }
    const std::string& SitePassword() const { return site_password_; }
    void SetSitePassword(const std::string& New_SitePassword) { site_password_ = New_SitePassword; }
    float FileSize() const { return file_size_; }
    void SetFileSize(float New_FileSize) { file_size_ = New_FileSize; }

    // Findings of the last probe.
    const std::string& LastModified() const { return last_modified_; }
    const std::string& RemoteFileName() const { return remote_file_name_; }
    const std::string& RemoteFileType() const { return remote_file_type_; }
    bool FileExists() const { return file_exists_; }

    // The final HTTP status of the last transfer's answer; 0 when the last
    // transfer got none.
    int StatusCode() const { return status_code_; }
    // Whether a transfer whose answer has an error status (400 and above)
    // puts its body in LocalFile's place when it completes. On by default;
    // when off, such a body stays in the temporary file.
    bool CommitErrorAnswers() const { return commit_error_answers_; }
    void SetCommitErrorAnswers(bool commit) { commit_error_answers_ = commit; }
    // Where a transfer writes until it completes: beside LocalFile.
    std::string TemporaryFile() const;

    // The most bytes a transfer may receive: past it the transfer fails as a
    // broken read would ("Could not read URL"). 0 is no limit, the default.
    int64_t BodyLimit() const { return body_limit_; }
    void SetBodyLimit(int64_t bytes) { body_limit_ = bytes; }

    // How long opening an address may take, and how long a read may wait
    // without receiving a byte.
    std::chrono::milliseconds OpenLimit() const { return open_limit_; }
    void SetOpenLimit(std::chrono::milliseconds limit) { open_limit_ = limit; }
    std::chrono::milliseconds StallLimit() const { return stall_limit_; }
    void SetStallLimit(std::chrono::milliseconds limit) { stall_limit_ = limit; }

    // The header probe of Url. Throws TransferFailure for a Content-Length
    // that is not a number, and when a probe or transfer is already running.
    void RequestInformation();
    // Copies Url into LocalFile; true when it ended with DownloadComplete.
    // Throws TransferFailure when the probe it runs fails, when the local
    // file cannot be opened, written or put in place, and when a probe or
    // transfer is already running.
    bool StartDownload();
    // Asks a running transfer to stop: after the current progress event, or
    // at once while it waits for the network. Forgotten by the next transfer.
    void CancelDownload() { cancel_requested_ = true; }

    // State the host and tests may look at.
    const platform::BlockingHttpSession* SessionHandle() const { return session_.get(); }
    bool InfoRequested() const { return info_requested_; }
    bool CloseSessionAfterProbe() const { return close_session_after_probe_; }
    bool CancelRequested() const { return cancel_requested_; }

private:
    class BusyGuard;

    bool RunTransfer();
    bool ReadBody(std::unique_ptr<platform::BlockingHttpBody>& body, PartialFile& file);
    void Probe();
    void TakeHeaderValues(const std::string& raw);
    void TakeFallbackValues(const platform::BlockingHttpRequest& request);
    void OpenSession();
    void CloseSession() { session_.reset(); }
    bool ShouldCommit() const;
    platform::BlockingHttpWaitLimits WaitLimits() const;
    void Yield() { pump_.ProcessEvents(); }

    void RaiseComplete();
    void RaiseProgress(int64_t lProgress);
    void RaiseError(const std::string& sErrorDescription);
    void RaiseCancelled(int64_t lPosition);

    platform::BlockingHttpClient& client_;
    platform::EventPump& pump_;
    DownloadEvents* events_ = nullptr;

    std::string url_;
    std::string local_file_;
    std::string site_user_;
    std::string site_password_;
    float file_size_ = 0;
    std::string last_modified_;
    std::string remote_file_name_;
    std::string remote_file_type_;
    bool file_exists_ = false;

    int status_code_ = 0;
    bool commit_error_answers_ = true;
    int64_t body_limit_ = 0;
    std::chrono::milliseconds open_limit_{30000};
    std::chrono::milliseconds stall_limit_{60000};

    std::unique_ptr<platform::BlockingHttpSession> session_;
    bool info_requested_ = false;
    bool close_session_after_probe_ = false;
    bool cancel_requested_ = false;
    bool busy_ = false;
    bool transfer_running_ = false;
};

// The progress value of a transfer: the percentage of `file_size` rounded to
// the nearest integer (halves to even) when the size is above 0, otherwise
// the byte count itself.
int64_t ProgressValue(int64_t byte_count, float file_size);

} // namespace tarnwick::transfer
