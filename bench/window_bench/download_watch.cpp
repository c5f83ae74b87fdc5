#include "download_watch.h"

#include "support/server_process.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <stdexcept>
#include <string_view>

namespace tarnwick::bench {
namespace {

constexpr std::string_view kTemporaryEnd = ".tarnwick.part";

bool IsTemporary(std::string_view name) {
    return name.size() >= kTemporaryEnd.size() &&
           name.substr(name.size() - kTemporaryEnd.size()) == kTemporaryEnd;
}

} // namespace

DownloadWatch::DownloadWatch(const std::string& folder) : folder_(folder) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // A final name is taken by a rename, or by a link where renaming cannot
    // keep an existing file.
    if (fd_ < 0 || ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
        throw std::runtime_error("cannot watch " + folder);
    }
}

DownloadWatch::~DownloadWatch() { ::close(fd_); }

void DownloadWatch::Dispatch() {
    alignas(inotify_event) char buffer[16 * 1024];
    ssize_t got;
    while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
        const int64_t now = MonotonicNs();
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            if (event->len == 0) continue;
            const std::string_view name(event->name);
            if (IsTemporary(name)) {
                if (temporary_ns_ == 0) temporary_ns_ = now;
            } else if (finished_ns_ == 0) {
                finished_ns_ = now;
                finished_file_ = folder_ + "/" + std::string(name);
            }
        }
    }
}

void DownloadWatch::Clear() {
    Dispatch();
    temporary_ns_ = 0;
    finished_ns_ = 0;
    finished_file_.clear();
}

} // namespace tarnwick::bench
