#include "transfer/part_file.h"

#include "transfer/file_system.h"

#include <cerrno>
#include <utility>

namespace tarnwick::transfer {
namespace {

// Bytes gathered before each write; larger pieces go straight through.
constexpr size_t kBufferSize = 256 * 1024;

bool FolderIsTheProblem(const Failure& failure) {
    const std::error_code error = failure.system;
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
           error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
           error == std::errc::read_only_file_system;
}

} // namespace

Failure PartFile::Failed(Failure failure, Reason otherwise) {
    failure.reason =
        failure.system == std::errc::no_space_on_device ? Reason::kDiskFull : otherwise;
    return failure;
}

Status PartFile::Create(const PathChooser& path) {
    Close();
    constexpr int kAttempts = 100;
    Status created = files::FileError(EEXIST);
    for (int attempt = 1; attempt <= kAttempts && files::FailedWith(created, EEXIST); ++attempt) {
        const std::string chosen = path(attempt);
        created = Opened(files::CreateNew(chosen), chosen, 0);
    }
    if (created) return created;
    const Failure& failure = created.failure();
    return Failed(failure,
                  FolderIsTheProblem(failure) ? Reason::kFolderUnusable : Reason::kWriteFailed);
}

Status PartFile::Resume(const std::string& path, int64_t least) {
    Close();
    const Result<files::Resumable> opened = files::OpenToResume(path, least);
    if (!opened) return opened.failure();
    return Opened(opened.value().descriptor, path, opened.value().length);
}

Status PartFile::Opened(const Result<int>& descriptor, const std::string& path, int64_t length) {
    if (!descriptor) return descriptor.failure();
    descriptor_ = descriptor.value();
    path_ = path;
    length_at_start_ = end_ = length;
    in_order_ = true;
    written_ = 0;
    // Bytes go where WriteAt puts them, never after the file's end.
    if (Status in_place = files::WriteInPlace(descriptor_); !in_place) {
        Close();
        return in_place;
    }
    write_behind_ = std::make_unique<WriteBehind>(background_);
    return {};
}

Status PartFile::Reserve(int64_t length) {
    if (descriptor_ < 0) return files::FileError(EBADF);
    if (Status reserved = files::Reserve(descriptor_, length); !reserved) {
        return Failed(reserved.failure());
    }
    return {};
}

Status PartFile::Cut(int64_t length) {
    if (descriptor_ < 0) return files::FileError(EBADF);
    end_ = length;
    in_order_ = true;
    written_ = 0;
    write_behind_->Reset();
    return files::Truncate(descriptor_, length);
}

Status PartFile::WriteAt(int64_t offset, const char* data, size_t size) {
    if (descriptor_ < 0) return files::FileError(EBADF);
    if (Status written = files::WriteAt(descriptor_, data, size, offset); !written) {
        return Failed(written.failure());
    }
    in_order_ = in_order_ && offset == end_;
    end_ = offset + static_cast<int64_t>(size);
    written_ += static_cast<int64_t>(size);
    if (in_order_) {
        write_behind_->Written(descriptor_, end_);
    } else {
        write_behind_->WrittenAnywhere(descriptor_, written_);
    }
    return {};
}

void PartFile::Sync(std::function<void(Status)> done) {
    write_behind_.reset();
    const int descriptor = std::exchange(descriptor_, -1);
    // A slow disk can take seconds to say it has the bytes: the event loop
    // goes on meanwhile.
    syncing_ = background_.Run([descriptor] { return files::SyncAndClose(descriptor); },
                               [this, done = std::move(done)](int error) {
                                   syncing_.reset();
                                   if (files::BytesMayBeLost(error)) {
                                       return done(Failed(files::FileError(error)));
                                   }
                                   done({});
                               });
}

void PartFile::Close() {
    syncing_.reset();
    write_behind_.reset();
    if (descriptor_ < 0) return;
    (void)files::Close(std::exchange(descriptor_, -1));
}

void PartFile::Discard() {
    Close();
    // One that cannot go stays a stray, which the next start sweeps.
    if (!path_.empty()) (void)files::Remove(path_);
}

Status PartWriter::Take(const char* data, size_t size) {
    const bool straight_through = size >= kBufferSize / 2;
    if (straight_through || buffer_.size() + size > kBufferSize) {
        if (Status flushed = Flush(); !flushed) return flushed;
    }
    if (straight_through) {
        if (Status written = file_.WriteAt(written_to_, data, size); !written) return written;
        written_to_ += static_cast<int64_t>(size);
        return {};
    }
    if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
    buffer_.insert(buffer_.end(), data, data + size);
    return {};
}

Status PartWriter::Flush() {
    if (buffer_.empty()) return {};
    const Status written = file_.WriteAt(written_to_, buffer_.data(), buffer_.size());
    if (written) written_to_ += static_cast<int64_t>(buffer_.size());
    buffer_.clear();
    return written;
}

void PartWriter::FlushIfAble() { (void)Flush(); }

} // namespace tarnwick::transfer
