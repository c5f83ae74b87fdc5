// The file a video transfer writes: a temporary file beside the target that
// takes the target's place only when the transfer completes. Until then the
// target, if any, is untouched; a transfer that ends otherwise leaves its
// bytes in the temporary file. Failures come back as the system's error
// number, never as exceptions.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class DownloadFile {
public:
    // Distinct from the ".part" files that browsers leave in the same folders.
    static constexpr const char* kSuffix = ".tarnwick.part";
    static std::string TemporaryPathFor(const std::string& target) { return target + kSuffix; }

    explicit DownloadFile(std::string target);
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Opens the temporary file empty; false with Error() when it cannot be.
    bool Open();
    // False with Error() when the bytes cannot be written.
    bool Append(const char* data, size_t size);
    // Writes out what is gathered and puts the file in the target's place;
    // false with Error() when either fails (the target is then untouched).
    bool Commit();
    // Closes the file and leaves it where it is. Safe to call twice.
    void Close();

    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return path_; }
    // The system's error number of the last failure.
    int Error() const { return error_; }

private:
    bool WriteOut();
    bool Fail();

    std::string target_;
    std::string path_;
    std::FILE* stream_ = nullptr;
    std::vector<char> buffer_;
    size_t used_ = 0;
    int error_ = 0;
};

} // namespace tarnwick::transfer
