#include "transfer/download_file.h"

#include <cerrno>
#include <cstring>

namespace tarnwick::transfer {
namespace {

// Bytes gathered before each write to the file; larger pieces go straight through.
constexpr size_t kBufferSize = 256 * 1024;

} // namespace

DownloadFile::DownloadFile(std::string target)
    : target_(std::move(target)), path_(TemporaryPathFor(target_)) {}

DownloadFile::~DownloadFile() { Close(); }

bool DownloadFile::Fail() {
    error_ = errno != 0 ? errno : EIO;
    return false;
}

bool DownloadFile::Open() {
    errno = 0;
    // An empty target would put the temporary file into the working folder.
    if (target_.empty()) {
        errno = ENOENT;
        return Fail();
    }
    stream_ = std::fopen(path_.c_str(), "wb");
    if (stream_ == nullptr) return Fail();
    // The file's own buffer gathers the bytes; the stream writes them as they come.
    std::setvbuf(stream_, nullptr, _IONBF, 0);
    buffer_.resize(kBufferSize);
    return true;
}

bool DownloadFile::WriteOut() {
    const size_t count = used_;
    used_ = 0;
    errno = 0;
    if (count > 0 && std::fwrite(buffer_.data(), 1, count, stream_) != count) return Fail();
    return true;
}

bool DownloadFile::Append(const char* data, size_t size) {
    if (stream_ == nullptr) {
        errno = EBADF;
        return Fail();
    }
    // Whatever is gathered goes out first, so that the file keeps the order.
    const bool goes_straight_through = size >= buffer_.size() / 2;
    if ((goes_straight_through || used_ + size > buffer_.size()) && !WriteOut()) return false;
    if (goes_straight_through) {
        errno = 0;
        return std::fwrite(data, 1, size, stream_) == size || Fail();
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
}

void DownloadFile::Close() {
    if (stream_ == nullptr) return;
    WriteOut();
    std::fclose(stream_);
    stream_ = nullptr;
}

bool DownloadFile::Commit() {
    if (stream_ == nullptr) {
        errno = EBADF;
        return Fail();
    }
    const bool written = WriteOut();
    errno = 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written) return false;
    if (!closed) return Fail();
    errno = 0;
    if (std::rename(path_.c_str(), target_.c_str()) != 0) return Fail();
    return true;
}

} // namespace tarnwick::transfer
