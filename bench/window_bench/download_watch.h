// Watches the download folder from outside (inotify): when the program
// creates a temporary file ("NAME.KEY.tarnwick.part") and when a finished
// video takes its final name there.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::bench {

class DownloadWatch {
public:
    // Throws when the folder cannot be watched.
    explicit DownloadWatch(const std::string& folder);
    ~DownloadWatch();
    DownloadWatch(const DownloadWatch&) = delete;
    DownloadWatch& operator=(const DownloadWatch&) = delete;

    int Fd() const { return fd_; }
    // Reads what the folder told since; call when Fd() is readable.
    void Dispatch();
    // Forgets what was seen, before the next download.
    void Clear();

    // When the first temporary file was created since Clear; 0 until then.
    int64_t TemporaryCreatedNs() const { return temporary_ns_; }
    // When a file other than a temporary one first appeared, and its path;
    // 0 and empty until then.
    int64_t FinishedNs() const { return finished_ns_; }
    const std::string& FinishedFile() const { return finished_file_; }

private:
    std::string folder_;
    int fd_ = -1;
    int64_t temporary_ns_ = 0;
    int64_t finished_ns_ = 0;
    std::string finished_file_;
};

} // namespace tarnwick::bench
