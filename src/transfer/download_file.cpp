#include "transfer/download_file.h"

#include "transfer/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tarnwick::transfer {
namespace {

// Bytes gathered before each write to the file; larger pieces go straight through.
constexpr size_t kBufferSize = 256 * 1024;

} // namespace

Status DownloadFile::Create(const std::string& path) {
    Close();
    return Opened(files::CreateNew(path), path, 0);
}

Status DownloadFile::CreateFirstFree(const std::function<std::string(int attempt)>& path) {
    constexpr int kAttempts = 100;
    Status created = files::FileError(EEXIST);
    for (int attempt = 1; attempt <= kAttempts && files::FailedWith(created, EEXIST); ++attempt) {
        created = Create(path(attempt));
    }
    return created;
}

Status DownloadFile::OpenToResume(const std::string& path, int64_t least) {
    Close();
    const Result<files::Resumable> opened = files::OpenToResume(path, least);
    if (!opened) return opened.failure();
    return Opened(opened.value().descriptor, path, opened.value().length);
}

// Takes the file at `path` that `descriptor` opened, holding `length` bytes.
Status DownloadFile::Opened(const Result<int>& descriptor, const std::string& path,
                            int64_t length) {
    if (!descriptor) return descriptor.failure();
    descriptor_ = descriptor.value();
    path_ = path;
    buffer_.resize(kBufferSize);
    used_ = 0;
    on_disk_ = length;
    return {};
}

Status DownloadFile::CutTo(int64_t length) {
    if (descriptor_ < 0) return files::FileError(EBADF);
    used_ = 0;
    on_disk_ = std::min(on_disk_, length);
    return files::Truncate(descriptor_, on_disk_);
}

Status DownloadFile::WriteOut() {
    if (descriptor_ < 0) return used_ == 0 ? Status() : files::FileError(EBADF);
    const size_t count = used_;
    used_ = 0;
    if (count == 0) return {};
    if (Status written = files::WriteAll(descriptor_, buffer_.data(), count); !written) {
        return written;
    }
    on_disk_ += static_cast<int64_t>(count);
    return {};
}

Status DownloadFile::Append(const char* data, size_t size) {
    if (descriptor_ < 0) return files::FileError(EBADF);
    // Whatever is gathered goes out first, so that the file keeps the order.
    const bool goes_straight_through = size >= buffer_.size() / 2;
    if (goes_straight_through || used_ + size > buffer_.size()) {
        if (Status written = WriteOut(); !written) return written;
    }
    if (goes_straight_through) {
        if (Status written = files::WriteAll(descriptor_, data, size); !written) return written;
        on_disk_ += static_cast<int64_t>(size);
        return {};
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return {};
}

Status DownloadFile::Flush() {
    if (descriptor_ < 0) return files::FileError(EBADF);
    return WriteOut();
}

int DownloadFile::Release() { return std::exchange(descriptor_, -1); }

void DownloadFile::Close() {
    if (descriptor_ < 0) return;
    // Whoever needs the bytes on disk flushed them; what a close finds
    // unwritten is lost with the transfer that broke off.
    (void)WriteOut();
    (void)files::Close(descriptor_);
    descriptor_ = -1;
}

void DownloadFile::Discard() {
    Close();
    // A file that cannot be removed stays under its temporary name, where
    // the sweep of stray temporary files finds it.
    if (!path_.empty()) (void)files::Remove(path_);
}

} // namespace tarnwick::transfer
