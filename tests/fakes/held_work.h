// Background work that waits until the test lets it run: each piece runs, in
// order, when Release is called, and its end is told at once, as the event
// loop would tell it. The answer told can be made another than the work's.
#pragma once

#include "platform/background_work.h"

#include <deque>
#include <optional>
#include <utility>

namespace tarnwick::fakes {

class HeldWork : public platform::BackgroundWork {
public:
    Ticket Run(Work work, Done done) override {
        Ticket ticket = std::make_shared<char>();
        held_.push_back({std::move(work), std::move(done), ticket});
        return ticket;
    }

    // Releases every piece held.
    void WaitForAll() override {
        while (Release()) {
        }
    }

    size_t Held() const { return held_.size(); }
    // Runs the first piece held; its end is told with `told` in place of the
    // work's own answer, when given. False when none is held.
    bool Release(std::optional<int> told = std::nullopt) {
        if (held_.empty()) return false;
        Piece piece = std::move(held_.front());
        held_.pop_front();
        const int error = piece.work();
        if (piece.done && !piece.ticket.expired()) piece.done(told.value_or(error));
        return true;
    }

private:
    struct Piece {
        Work work;
        Done done;
        std::weak_ptr<void> ticket;
    };
    std::deque<Piece> held_;
};

} // namespace tarnwick::fakes
