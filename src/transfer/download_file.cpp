#include "transfer/download_file.h"

#include "transfer/file_system.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace tarnwick::transfer {
namespace {

// Bytes gathered before each write to the file; larger pieces go straight through.
constexpr size_t kBufferSize = 256 * 1024;

} // namespace

bool DownloadFile::Create(const std::string& path) {
    Close();
    return Opened(files::CreateNew(path, error_), path, 0);
}

bool DownloadFile::OpenToResume(const std::string& path, int64_t least) {
    Close();
    int64_t length = 0;
    const int descriptor = files::OpenToResume(path, least, length, error_);
    return Opened(descriptor, path, length);
}

// Takes the file at `path` that `descriptor` (when not negative) opened,
// holding `length` bytes.
bool DownloadFile::Opened(int descriptor, const std::string& path, int64_t length) {
    descriptor_ = descriptor;
    if (descriptor_ < 0) return false;
    path_ = path;
    buffer_.resize(kBufferSize);
    used_ = 0;
    on_disk_ = length;
    return true;
}

bool DownloadFile::Restart() {
    if (descriptor_ < 0) {
        error_ = EBADF;
        return false;
    }
    used_ = 0;
    on_disk_ = 0;
    return files::Truncate(descriptor_, error_);
}

bool DownloadFile::WriteOut() {
    if (descriptor_ < 0) return used_ == 0;
    const size_t count = used_;
    used_ = 0;
    if (count == 0) return true;
    if (!files::WriteAll(descriptor_, buffer_.data(), count, error_)) return false;
    on_disk_ += static_cast<int64_t>(count);
    return true;
}

bool DownloadFile::Append(const char* data, size_t size) {
    if (descriptor_ < 0) {
        error_ = EBADF;
        return false;
    }
    // Whatever is gathered goes out first, so that the file keeps the order.
    const bool goes_straight_through = size >= buffer_.size() / 2;
    if ((goes_straight_through || used_ + size > buffer_.size()) && !WriteOut()) return false;
    if (goes_straight_through) {
        if (!files::WriteAll(descriptor_, data, size, error_)) return false;
        on_disk_ += static_cast<int64_t>(size);
        return true;
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
}

bool DownloadFile::Flush() {
    if (descriptor_ < 0) {
        error_ = EBADF;
        return false;
    }
    return WriteOut();
}

int DownloadFile::Release() { return std::exchange(descriptor_, -1); }

void DownloadFile::Close() {
    if (descriptor_ < 0) return;
    int ignored = 0;
    WriteOut();
    files::Close(descriptor_, ignored);
    descriptor_ = -1;
}

void DownloadFile::Discard() {
    Close();
    if (!path_.empty()) files::Remove(path_);
}

} // namespace tarnwick::transfer
