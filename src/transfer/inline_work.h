// Background work done at once, on the caller's thread, with its end told
// from the event loop through a timer: for tools and tests, where nothing
// waits long, and as the file transfer's own when it is given none.
#pragma once

#include "platform/background_work.h"
#include "platform/clock.h"

#include <list>
#include <memory>

namespace tarnwick::transfer {

class InlineWork : public platform::BackgroundWork {
public:
    explicit InlineWork(platform::Clock& clock) : clock_(clock) {}
    InlineWork(const InlineWork&) = delete;
    InlineWork& operator=(const InlineWork&) = delete;

    Ticket Run(Work work, Done done) override;
    // Every piece ran as it was given.
    void WaitForAll() override {}

private:
    struct Told {
        std::unique_ptr<platform::Timer> timer;
        std::weak_ptr<void> ticket;
        Done done;
        int error = 0;
    };
    void Tell(std::list<Told>::iterator told);

    platform::Clock& clock_;
    std::list<Told> waiting_;
};

} // namespace tarnwick::transfer
