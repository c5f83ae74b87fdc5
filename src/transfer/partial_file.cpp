#include "transfer/partial_file.h"

#include "transfer/transfer_failure.h"

#include <cerrno>
#include <cstring>

namespace tarnwick::transfer {
namespace {

// Bytes gathered before each write to the file.
constexpr size_t kBufferSize = 256 * 1024;

} // namespace

PartialFile::PartialFile(std::string target) : target_(std::move(target)) {
    // An empty target would put the temporary file into the working folder.
    if (target_.empty()) throw TransferFailure("No local file was given");
    path_ = PathFor(target_);
    errno = 0;
    stream_ = std::fopen(path_.c_str(), "wb");
    if (stream_ == nullptr) Fail("Could not open " + path_);
    // The file's own buffer gathers the bytes; the stream writes them as they come.
    std::setvbuf(stream_, nullptr, _IONBF, 0);
    buffer_.resize(kBufferSize);
}

PartialFile::~PartialFile() { Close(); }

char* PartialFile::WriteSpace(size_t count) {
    if (stream_ == nullptr) throw TransferFailure("The local file is closed");
    if (used_ + count > buffer_.size()) {
        errno = 0;
        if (!WriteOut()) Fail("Could not write " + path_);
        if (count > buffer_.size()) buffer_.resize(count);
    }
    return buffer_.data() + used_;
}

void PartialFile::Append(const char* bytes, size_t count) {
    std::memcpy(WriteSpace(count), bytes, count);
    Wrote(count);
}

// Writes the gathered bytes to the file; false when they could not all be written.
bool PartialFile::WriteOut() {
    const size_t count = used_;
    used_ = 0;
    return count == 0 || std::fwrite(buffer_.data(), 1, count, stream_) == count;
}

// Whatever was received stays in the file, also when the transfer ends early.
void PartialFile::Close() { CloseStream(); }

bool PartialFile::CloseStream() {
    if (stream_ == nullptr) return true;
    const bool written = WriteOut();
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    return written && closed;
}

void PartialFile::CommitToTarget() {
    errno = 0;
    if (!CloseStream()) Fail("Could not write " + path_);
    errno = 0;
    if (std::rename(path_.c_str(), target_.c_str()) != 0) Fail("Could not replace " + target_);
}

void PartialFile::Fail(const std::string& what) const {
    const int error = errno;
    throw TransferFailure(error == 0 ? what : what + ": " + std::strerror(error));
}

} // namespace tarnwick::transfer
