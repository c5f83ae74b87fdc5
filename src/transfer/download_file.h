// The temporary file a video transfer writes, beside its final name. It is
// created new, never through a link and never over anything already there;
// what to do with it when the transfer ends is its owner's choice. Failures
// come back as values carrying the system's error, never as exceptions.
#pragma once

#include "common/result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class DownloadFile {
public:
    // The ending by which a temporary file is known as one of ours.
    static constexpr const char* kSuffix = ".tarnwick.part";

    DownloadFile() = default;
    ~DownloadFile() { Close(); }
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Creates the file at `path`; fails with EEXIST where anything is.
    Status Create(const std::string& path);
    // Creates the file at the first of up to 100 paths, `path(1)`, `path(2)`,
    // ..., where nothing is.
    Status CreateFirstFree(const std::function<std::string(int attempt)>& path);
    // Opens the temporary file of an earlier transfer to write on at its end,
    // when it is our regular file of at least `least` bytes; fails otherwise.
    Status OpenToResume(const std::string& path, int64_t least);
    // Drops what the file holds and what is gathered: writing starts afresh.
    Status Restart() { return CutTo(0); }
    // Drops what is gathered and what the file holds beyond its first
    // `length` bytes: writing goes on after them.
    Status CutTo(int64_t length);
    // Fails when the bytes cannot be written.
    Status Append(const char* data, size_t size);
    // Writes out what is gathered; fails with EBADF when no file is open.
    Status Flush();
    // Hands the open file over to the caller, who closes it; the path and the
    // bytes on disk stay known. -1 when no file is open.
    int Release();
    // Closes the file and leaves it as it is. Safe to call twice.
    void Close();
    // Closes the file and removes it.
    void Discard();

    const std::string& Path() const { return path_; }
    // The open file's descriptor; -1 when none is open.
    int Descriptor() const { return descriptor_; }
    // The bytes written to the file so far; what is gathered is not counted.
    int64_t OnDisk() const { return on_disk_; }

private:
    Status Opened(const Result<int>& descriptor, const std::string& path, int64_t length);
    // Writes what is gathered to the file.
    Status WriteOut();

    std::string path_;
    int descriptor_ = -1;
    std::vector<char> buffer_;
    size_t used_ = 0;
    int64_t on_disk_ = 0;
};

} // namespace tarnwick::transfer
