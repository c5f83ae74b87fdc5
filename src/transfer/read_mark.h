// How many bytes a receiving socket gathers before the event loop is woken to
// read them. A server that paces each connection sends a slice every few
// milliseconds; reading each slice as it comes wakes the program hundreds of
// times a second for a steady 20 MB/s. With a mark the kernel wakes it once
// the socket holds about kMarkWait's worth at the connection's recent speed,
// a few dozen times a second for the same bytes. The kernel still wakes it
// early when its receive buffer runs short, so the mark never slows a
// connection; a server that pauses below the mark is read by a sweep at
// kSweepEvery. The mark never exceeds what is left of the body, so a body's
// end is read as soon as it comes.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <optional>

namespace tarnwick::transfer {

inline constexpr platform::Duration kMarkWait{20};
inline constexpr platform::Duration kSweepEvery{100};
inline constexpr uint64_t kMostMark = 256 * 1024;
// Below this a mark saves too few wake-ups to be worth setting.
inline constexpr uint64_t kLeastMark = 16 * 1024;
// No mark: the socket wakes the event loop with its first byte.
inline constexpr uint64_t kNoMark = 1;

// The mark after a read that brought `bytes` body bytes, gathered since the
// read before `since_last_read` ago, with `body_left` bytes of the body still
// to come (none when its length is unknown). Rounded down to a power of two,
// so that a speed that wavers a little leaves the mark as it is.
uint64_t ReadMarkAfter(uint64_t bytes, platform::Duration since_last_read,
                       std::optional<uint64_t> body_left);

} // namespace tarnwick::transfer
