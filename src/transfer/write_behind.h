// Has the disk start on a file's bytes while they still come, away from the
// event loop, so that the sync at the end of the transfer finds little left
// to write. It works on a descriptor of its own, a copy of the file's, which
// it closes after its last piece of work.
#pragma once

#include "platform/background_work.h"

#include <cstdint>

namespace tarnwick::transfer {

class WriteBehind {
public:
    // Bytes written between two starts of the disk.
    static constexpr int64_t kStep = 16 * 1024 * 1024;

    explicit WriteBehind(platform::BackgroundWork& work) : work_(work) {}
    ~WriteBehind() { Reset(); }
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // The file open as `descriptor` now holds `on_disk` bytes.
    void Written(int descriptor, int64_t on_disk) { Written(descriptor, on_disk, false); }
    // `written` bytes in all went to places all over the file (its parts):
    // the disk starts on the whole file.
    void WrittenAnywhere(int descriptor, int64_t written) { Written(descriptor, written, true); }
    // The file starts afresh, or is done with.
    void Reset();

private:
    void Written(int descriptor, int64_t on_disk, bool anywhere);

    platform::BackgroundWork& work_;
    int own_ = -1;
    int64_t started_ = 0;
};

} // namespace tarnwick::transfer
