#include "transfer/inline_work.h"

#include <utility>

namespace tarnwick::transfer {

platform::BackgroundWork::Ticket InlineWork::Run(Work work, Done done) {
    Ticket ticket = std::make_shared<char>();
    const int error = work();
    if (!done) return ticket;
    const auto told =
        waiting_.insert(waiting_.end(), Told{nullptr, ticket, std::move(done), error});
    told->timer = clock_.NewTimer([this, told] { Tell(told); });
    told->timer->Start(platform::Duration(0));
    return ticket;
}

void InlineWork::Tell(std::list<Told>::iterator told) {
    const Done done = std::move(told->done);
    const bool wanted = !told->ticket.expired();
    const int error = told->error;
    // The timer, whose call this is, may go from inside it.
    waiting_.erase(told);
    if (wanted) done(error);
}

} // namespace tarnwick::transfer
