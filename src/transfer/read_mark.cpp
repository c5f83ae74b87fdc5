#include "transfer/read_mark.h"

#include <algorithm>
#include <bit>

namespace tarnwick::transfer {

uint64_t ReadMarkAfter(uint64_t bytes, platform::Duration since_last_read,
                       std::optional<uint64_t> body_left) {
    if (bytes == 0 || !body_left) return kNoMark;
    const auto waited = std::max<int64_t>(since_last_read.count(), 1);
    // What the connection brings in kMarkWait at the speed of this read.
    const uint64_t steady =
        bytes * static_cast<uint64_t>(kMarkWait.count()) / static_cast<uint64_t>(waited);
    const uint64_t mark = std::min({steady, kMostMark, *body_left});
    if (mark < kLeastMark) return kNoMark;
    return std::bit_floor(mark);
}

} // namespace tarnwick::transfer
