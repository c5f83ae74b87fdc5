#include "transfer/partial_file.h"

#include "transfer/transfer_failure.h"

#include <cerrno>
#include <cstring>

namespace tarnwick::transfer {
namespace {

constexpr size_t kStreamBufferSize = 256 * 1024;

} // namespace

PartialFile::PartialFile(std::string target) : target_(std::move(target)) {
    // An empty target would put the temporary file into the working folder.
    if (target_.empty()) throw TransferFailure("No local file was given");
    path_ = PathFor(target_);
    errno = 0;
    stream_ = std::fopen(path_.c_str(), "wb");
    if (stream_ == nullptr) Fail("Could not open " + path_);
    std::setvbuf(stream_, nullptr, _IOFBF, kStreamBufferSize);
}

PartialFile::~PartialFile() { Close(); }

void PartialFile::Append(const char* bytes, size_t count) {
    if (stream_ == nullptr) throw TransferFailure("The local file is closed");
    errno = 0;
    if (std::fwrite(bytes, 1, count, stream_) != count) Fail("Could not write " + path_);
}

void PartialFile::Close() { CloseStream(); }

bool PartialFile::CloseStream() {
    if (stream_ == nullptr) return true;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    return closed;
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
