#include "transfer/file_transfer.h"

#include "transfer/file_system.h"
#include "transfer/header_fields.h"
#include "transfer/inline_work.h"

#include <algorithm>
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
      clock_(clock),
      watch_(clock, limits, [this](Reason reason) { Finish(Outcome::Failed(reason)); }),
      no_request_(clock.NewTimer([this] { CompleteAsKept(); })),
      own_background_(std::make_unique<InlineWork>(clock)),
      background_(own_background_.get()) {}

FileTransfer::~FileTransfer() { GiveRoom(); }

void FileTransfer::TakeRoom() {
    GiveRoom();
    if (split_choice_.budget == nullptr) return;
    room_host_ = HostKeyOf(link_);
    split_choice_.budget->Take(room_host_);
    holds_room_ = true;
}

void FileTransfer::GiveRoom() {
    if (!holds_room_) return;
    split_choice_.budget->Give(room_host_);
    holds_room_ = false;
}

void FileTransfer::Start(const std::string& link, const std::optional<KeptFile>& earlier,
                         PathChooser temporary_path, ProgressHandler on_progress,
                         DoneHandler on_done) {
    link_ = link;
    temporary_path_ = std::move(temporary_path);
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    if (earlier && !earlier->parts.empty() && StartParts(*earlier)) return;
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
    GiveRoom();
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
    link_ = answer.url;
    temporary_path_ = std::move(temporary_path);
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    exchange_ = std::move(exchange);
    exchange_->SetReceiver(*this);
    TakeRoom();
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
    TakeRoom();
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
    if (MaySplit(answer)) {
        SplitFrom(answer);
        return;
    }
    Report();
}

// Whether the rest of the file that this answer brings may come in parts.
bool FileTransfer::MaySplit(const platform::HttpAnswer& answer) const {
    const bool whole_or_rest = answer.status == 200 || (answer.status == 206 && asked_from_ > 0);
    return split_choice_.connections > 1 && !asked_again_ && whole_or_rest && !coded_ &&
           !validator_.empty() && size_ && *size_ - received_ >= kLeastSplit;
}

// The answer's connection goes on with the first part; the others get
// connections of their own. A new file gets its room on the disk first.
void FileTransfer::SplitFrom(const platform::HttpAnswer& answer) {
    if (received_ == 0) {
        if (Status reserved = files::Reserve(file_.Descriptor(), *size_); !reserved) {
            FailWriting(reserved.failure(), Reason::kWriteFailed, true);
            return;
        }
    }
    if (!files::WriteInPlace(file_.Descriptor())) {
        Report();
        return;
    }
    PartLayout layout = PartLayout::Whole(*size_, received_);
    layout.Split(0, split_choice_.connections);
    // The parts count their connections themselves, this one's too.
    GiveRoom();
    BeginSplit(std::move(layout), std::move(exchange_), answer.url.empty() ? link_ : answer.url);
}

// Goes on with the parts of a file an earlier transfer fetched in parts; false
// when they cannot be read or the file is not as they say.
bool FileTransfer::StartParts(const KeptFile& earlier) {
    if (!earlier.total || earlier.validator.empty()) return false;
    std::optional<PartLayout> layout = PartLayout::Read(earlier.parts, *earlier.total);
    if (!layout) return false;
    int64_t reached = 0;
    for (const FilePart& part : layout->Parts()) reached = std::max(reached, part.Next());
    if (!file_.OpenToResume(earlier.path, reached) || !files::WriteInPlace(file_.Descriptor())) {
        file_.Close();
        return false;
    }
    resumed_ = true;
    earlier_total_ = earlier.total;
    size_ = earlier.total;
    validator_ = earlier.validator;
    if (layout->IsComplete()) {
        if (!file_.CutTo(*earlier.total)) {
            file_.Close();
            return false;
        }
        no_request_->Start(platform::Duration(0));
        return true;
    }
    watch_.Opening();
    BeginSplit(std::move(*layout), nullptr, link_);
    return true;
}

void FileTransfer::BeginSplit(PartLayout layout, std::unique_ptr<platform::HttpExchange> first,
                              const std::string& link) {
    const bool answered = first != nullptr;
    SplitTransfer::Setup setup{link,
                               reach_,
                               validator_,
                               file_.Descriptor(),
                               std::max(split_choice_.connections, 1),
                               split_choice_.budget};
    split_ = std::make_unique<SplitTransfer>(
        http_, clock_, std::move(setup),
        SplitTransfer::Calls{[this] { split_choice_.on_layout(); }, [this] { OnPartsProgress(); },
                             [this](Outcome outcome) { OnPartsDone(std::move(outcome)); },
                             [this] { OnPartsRefused(); }});
    parts_answered_ = answered;
    split_->Start(std::move(layout), std::move(first));
    if (answered) Report();
}

void FileTransfer::OnPartsProgress() {
    if (!parts_answered_) {
        parts_answered_ = true;
        watch_.Answered();
        Report();
        return;
    }
    watch_.Received();
    if (!write_behind_) write_behind_ = std::make_unique<WriteBehind>(*background_);
    write_behind_->WrittenAnywhere(file_.Descriptor(), split_->Layout().Done());
    Report();
}

void FileTransfer::OnPartsDone(Outcome outcome) {
    if (!outcome.IsComplete()) {
        Finish(std::move(outcome));
        return;
    }
    // Every byte is accounted for; the file is exactly the video's size.
    if (Status cut = files::Truncate(file_.Descriptor(), *size_); !cut) {
        FailWriting(cut.failure(), Reason::kWriteFailed, false);
        return;
    }
    received_ = *size_;
    SyncTheWhole();
}

// A part's request was answered with the whole file, or another version of
// it, when no other part was under way: the file is asked for anew, whole,
// and over one connection.
void FileTransfer::OnPartsRefused() {
    refused_split_ = std::move(split_);
    // The parts are of no use now: the file and what is kept of it start
    // afresh before the whole is asked for.
    if (Status cut = file_.CutTo(0); !cut) {
        FailWriting(cut.failure(), Reason::kWriteFailed, true);
        return;
    }
    split_choice_.on_layout();
    AskForTheWhole();
}

int64_t FileTransfer::OnDisk() const {
    if (split_) return split_->Layout().DoneFromStart();
    return file_.OnDisk();
}

const std::string& FileTransfer::PartsText() const {
    static const std::string kNone;
    return split_ ? split_->Layout().Text() : kNone;
}

bool FileTransfer::HoldsParts() const { return split_ && split_->Layout().Done() > 0; }

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
    if (split_) split_->Abandon();
    GiveRoom();
    watch_.Stop();
    no_request_->Stop();
    syncing_.reset();
    write_behind_.reset();
    exchange_.reset();
    file_.Close();
    on_done_ = nullptr;
    return OnDisk();
}

void FileTransfer::Report() {
    if (split_) {
        on_progress_({split_->Received(), size_, OnDisk(), false});
        return;
    }
    on_progress_({received_, size_, file_.OnDisk(), coded_});
}

void FileTransfer::OnEnd(const platform::HttpEnd& end) {
    GiveRoom();
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
    if (split_) split_->Abandon();
    GiveRoom();
    watch_.Stop();
    no_request_->Stop();
    exchange_.reset();
    write_behind_.reset();
    file_.Close();
    const DoneHandler done = std::move(on_done_);
    done(std::move(outcome));
}

} // namespace tarnwick::transfer
