#include "transfer/write_behind.h"

#include "transfer/file_system.h"

namespace tarnwick::transfer {

void WriteBehind::Written(int descriptor, int64_t on_disk, bool anywhere) {
    if (on_disk - started_ < kStep) return;
    if (own_ < 0) own_ = files::Duplicate(descriptor);
    if (own_ < 0) return;
    const int own = own_;
    // From 0 for 0 bytes is to the file's end.
    const int64_t from = anywhere ? 0 : started_;
    work_.Run(
        [own, from, length = anywhere ? 0 : on_disk - from] {
            files::StartWriting(own, from, length);
            return 0;
        },
        nullptr);
    started_ = on_disk;
}

void WriteBehind::Reset() {
    started_ = 0;
    if (own_ < 0) return;
    work_.Run([own = own_] { return files::ErrorNumberOf(files::Close(own)); }, nullptr);
    own_ = -1;
}

} // namespace tarnwick::transfer
