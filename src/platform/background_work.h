// Work that may block for long, such as waiting until a disk has taken a
// file's bytes: done away from the event loop, one piece after another in
// the order given, each one's end told from the event loop.
#pragma once

#include <functional>
#include <memory>

namespace tarnwick::platform {

class BackgroundWork {
public:
    // Answers 0 or the system's error number.
    using Work = std::function<int()>;
    using Done = std::function<void(int error)>;
    // Keeps a piece of work's `done` wanted: once the ticket is destroyed,
    // `done` is not called. The work itself runs either way.
    using Ticket = std::shared_ptr<void>;

    virtual ~BackgroundWork() = default;
    // Runs `work` after the work given before it; then `done`, when given,
    // from the event loop, never from inside this call.
    virtual Ticket Run(Work work, Done done) = 0;
    // Waits until every piece given has run. Their ends are still told from
    // the event loop, if at all.
    virtual void WaitForAll() = 0;
};

} // namespace tarnwick::platform
