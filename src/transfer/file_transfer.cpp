#include "transfer/file_transfer.h"

#include "transfer/file_system.h"
#include "transfer/header_fields.h"
#include "transfer/inline_work.h"

#include <cerrno>
#include <utility>

namespace tarnwick::transfer {
namespace {

bool FolderIsTheProblem(const Failure& failure) {
    const std::error_code error = failure.system;
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
           error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
           error == std::errc::read_only_file_system;
}

// The video's size, when the answer's range starts at `first` and runs to
// its end.
std::optional<int64_t> TotalOfRangeFrom(const platform::HttpAnswer& answer, int64_t first) {
    const std::optional<ContentRange> range = ContentRangeField(answer);
    if (!range || range->first != first || !range->total || range->last + 1 != *range->total) {
        return std::nullopt;
    }
    return range->total;
}

} // namespace

Status StatusOfAnswer(int http_status) {
    if (http_status >= 200 && http_status < 300) return {};
    const Reason reason =
        (http_status == 404 || http_status == 410) ? Reason::kVideoNotFound : Reason::kErrorAnswer;
    return Failure{reason, http_status, {}};
}

FileTransfer::FileTransfer(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits)
    : http_(http),
      watch_(clock, limits, [this](Reason reason) { Finish(Outcome::Failed(reason)); }),
      no_request_(clock.NewTimer([this] { CompleteAsKept(); })),
      own_background_(std::make_unique<InlineWork>(clock)),
      background_(own_background_.get()) {}

FileTransfer::~FileTransfer() = default;

void FileTransfer::Start(const std::string& link, const std::optional<KeptFile>& earlier,
                         PathChooser temporary_path, ProgressHandler on_progress,
                         DoneHandler on_done) {
    link_ = link;
    temporary_path_ = std::move(temporary_path);
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    int64_t from = 0;
    if (earlier && file_.OpenToResume(earlier->path, earlier->kept)) {
        resumed_ = true;
        earlier_total_ = earlier->total;
        validator_ = earlier->validator;
        // Without a validator only an unchanged size tells the same video.
        const bool can_ask = !validator_.empty() || earlier_total_.has_value();
        if (can_ask) from = file_.OnDisk();
    }
    if (KeptFileIsWhole()) {
        no_request_->Start(platform::Duration(0));
        return;
    }
    Request(from);
}

bool FileTransfer::KeptFileIsWhole() const {
    return resumed_ && earlier_total_ && *earlier_total_ > 0 && file_.OnDisk() == *earlier_total_;
}

void FileTransfer::CompleteAsKept() {
    size_ = earlier_total_;
    received_ = file_.OnDisk();
    Report();
    SyncTheWhole();
}

void FileTransfer::SyncTheWhole() {
    whole_ = true;
    watch_.Stop();
    exchange_.reset();
    write_behind_.reset();
    // A power cut after the file takes its name must not leave it short. A
    // slow disk can take seconds to say it has the bytes: the event loop
    // goes on meanwhile.
    const int descriptor = file_.Release();
    syncing_ = background_->Run([descriptor] { return files::SyncAndClose(descriptor); },
                                [this](int error) { OnSynced(error); });
}

void FileTransfer::OnSynced(int error) {
    syncing_.reset();
    if (files::BytesMayBeLost(error)) {
        Finish(Outcome::Failed(files::FileError(error)));
        return;
    }
    Finish(Outcome::Complete());
}

void FileTransfer::Adopt(std::unique_ptr<platform::HttpExchange> exchange,
                         const platform::HttpAnswer& answer, const std::optional<KeptFile>& earlier,
                         PathChooser temporary_path, ProgressHandler on_progress,
                         DoneHandler on_done) {
    if (earlier) resumed_ = file_.OpenToResume(earlier->path, 0).has_value();
    temporary_path_ = std::move(temporary_path);
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    exchange_ = std::move(exchange);
    exchange_->SetReceiver(*this);
    watch_.Opening();
    OnAnswer(answer);
}

void FileTransfer::Request(int64_t from) {
    platform::HttpRequest request;
    request.url = link_;
    request.reach = reach_;
    asked_from_ = from;
    if (from > 0) {
        request.headers.push_back("Range: bytes=" + std::to_string(from) + "-");
        if (!validator_.empty()) request.headers.push_back("If-Range: " + validator_);
    }
    watch_.Opening();
    exchange_ = http_.Start(request, *this);
}

// A partial answer that goes on exactly where the file ends, to the end of a
// video of the size it had; never one of coded bytes.
bool FileTransfer::TakesTheRest(const platform::HttpAnswer& answer) const {
    if (IsContentCoded(answer)) return false;
    const std::optional<int64_t> total = TotalOfRangeFrom(answer, asked_from_);
    return total && (!earlier_total_ || *earlier_total_ == *total);
}

void FileTransfer::AskForTheWhole() {
    asked_again_ = true;
    exchange_.reset();
    Request(0);
}

void FileTransfer::OnAnswer(const platform::HttpAnswer& answer) {
    http_status_ = answer.status;
    coded_ = IsContentCoded(answer);
    reach_ = platform::ReachAfter(reach_, answer.began_public);
    if (asked_from_ > 0 && !asked_again_ &&
        ((answer.status == 206 && !TakesTheRest(answer)) || answer.status == 416)) {
        AskForTheWhole();
        return;
    }
    if (Status success = StatusOfAnswer(answer.status); !success) {
        // An error page never takes the place of a file in the download folder.
        Finish(Outcome::Failed(success.failure()));
        return;
    }
    if (answer.status == 206 && asked_from_ == 0 && !TotalOfRangeFrom(answer, 0)) {
        // A part of the video that nobody asked for is no video.
        Finish(Outcome::Failed(Reason::kErrorAnswer, {}, answer.status));
        return;
    }
    if (IsHtmlMediaType(MediaTypeField(answer))) {
        // A web page ("please log in") where the video should be.
        Finish(Outcome::Failed(Reason::kHtmlInsteadOfVideo, {}, answer.status));
        return;
    }
    if (asked_from_ > 0 && answer.status == 206) {
        changed_ = true;
        size_ = TotalOfRangeFrom(answer, asked_from_);
        received_ = asked_from_;
    } else if (!BeginWhole(answer)) {
        return;
    }
    watch_.Answered();
    Report();
}

// The answer is the whole video: the file starts afresh with its bytes.
bool FileTransfer::BeginWhole(const platform::HttpAnswer& answer) {
    changed_ = true;
    write_behind_.reset();
    const Status ready =
        file_.Path().empty() ? file_.CreateFirstFree(temporary_path_) : file_.Restart();
    if (!ready) {
        FailWriting(
            ready.failure(),
            FolderIsTheProblem(ready.failure()) ? Reason::kFolderUnusable : Reason::kWriteFailed,
            false);
        return false;
    }
    // The lengths and validator of coded bytes say nothing of the video's.
    validator_ = coded_ ? std::string() : ValidatorField(answer);
    size_ = coded_ ? std::nullopt : ContentLengthField(answer);
    received_ = 0;
    return true;
}

void FileTransfer::OnBody(const char* data, size_t size) {
    watch_.Received();
    if (Status written = file_.Append(data, size); !written) {
        FailWriting(written.failure(), Reason::kWriteFailed, true);
        return;
    }
    received_ += static_cast<int64_t>(size);
    if (!write_behind_) write_behind_ = std::make_unique<WriteBehind>(*background_);
    write_behind_->Written(file_.Descriptor(), file_.OnDisk());
    Report();
}

int64_t FileTransfer::Abandon() {
    watch_.Stop();
    no_request_->Stop();
    syncing_.reset();
    write_behind_.reset();
    exchange_.reset();
    file_.Close();
    on_done_ = nullptr;
    return file_.OnDisk();
}

void FileTransfer::Report() { on_progress_({received_, size_, file_.OnDisk(), coded_}); }

void FileTransfer::OnEnd(const platform::HttpEnd& end) {
    if (end.kind == platform::HttpEnd::Kind::kRefusedAddress) {
        Finish(Outcome::Failed(Reason::kPrivateAddress, end.detail));
        return;
    }
    if (end.kind != platform::HttpEnd::Kind::kComplete) {
        Finish(Outcome::Failed(Reason::kConnectionLost, end.detail, http_status_));
        return;
    }
    if (size_ && received_ != *size_) {
        Finish(Outcome::Failed(Reason::kConnectionLost, "The answer ended early", http_status_));
        return;
    }
    if (Status flushed = file_.Flush(); !flushed) {
        FailWriting(flushed.failure(), Reason::kWriteFailed, true);
        return;
    }
    SyncTheWhole();
}

// The write's `failure`: a full disk, or `unless_full`; what was written goes
// when `discard` says so.
void FileTransfer::FailWriting(Failure failure, Reason unless_full, bool discard) {
    if (discard) file_.Discard();
    failure.reason =
        failure.system == std::errc::no_space_on_device ? Reason::kDiskFull : unless_full;
    Finish(Outcome::Failed(std::move(failure)));
}

void FileTransfer::Finish(Outcome outcome) {
    watch_.Stop();
    no_request_->Stop();
    exchange_.reset();
    write_behind_.reset();
    file_.Close();
    const DoneHandler done = std::move(on_done_);
    done(std::move(outcome));
}

} // namespace tarnwick::transfer
