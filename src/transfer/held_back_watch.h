// Tells whether a file's first connection is held back, so that further
// connections would bring more: it is once a look finds that it brought less
// than kFastBytesPerSecond since the look before. The first look comes soon
// after it began, later ones a second apart; one timer. A connection that
// fast is held back by nothing another one would get round: more would only
// share what it already has.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tarnwick::transfer {

class HeldBackWatch {
public:
    static constexpr int64_t kFastBytesPerSecond = 64'000'000;
    static constexpr platform::Duration kFirstLook{20};
    static constexpr platform::Duration kLaterLook{1000};

    // `received` tells the bytes so far; `on_held_back` is called once, from
    // the timer.
    HeldBackWatch(platform::Clock& clock, std::function<int64_t()> received,
                  std::function<void()> on_held_back);

    void Start();
    void Stop() { timer_->Stop(); }
    bool IsWatching() const { return timer_->IsActive(); }

private:
    void Look();

    platform::Clock& clock_;
    std::function<int64_t()> received_;
    std::function<void()> on_held_back_;
    std::unique_ptr<platform::Timer> timer_;
    platform::TimePoint since_{};
    int64_t from_ = 0;
};

} // namespace tarnwick::transfer
