#include "qt/thread_background_work.h"

#include <QMetaObject>

#include <utility>

namespace tarnwick::qt {

ThreadBackgroundWork::ThreadBackgroundWork() : worker_([this] { Serve(); }) {}

ThreadBackgroundWork::~ThreadBackgroundWork() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    waiting_.notify_one();
    worker_.join();
}

platform::BackgroundWork::Ticket ThreadBackgroundWork::Run(Work work, Done done) {
    Ticket ticket = std::make_shared<char>();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pieces_.push_back({std::move(work), std::move(done), ticket});
    }
    waiting_.notify_one();
    return ticket;
}

void ThreadBackgroundWork::WaitForAll() {
    std::unique_lock<std::mutex> lock(mutex_);
    all_run_.wait(lock, [this] { return pieces_.empty() && !running_; });
}

void ThreadBackgroundWork::Serve() {
    for (;;) {
        Piece piece;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            running_ = false;
            if (pieces_.empty()) all_run_.notify_all();
            waiting_.wait(lock, [this] { return stopping_ || !pieces_.empty(); });
            // What waits is done before the thread ends.
            if (pieces_.empty()) return;
            piece = std::move(pieces_.front());
            pieces_.pop_front();
            running_ = true;
        }
        const int error = piece.work();
        if (!piece.done) continue;
        // Queued to the context's thread; dropped if the context is gone by then.
        QMetaObject::invokeMethod(
            &context_,
            [done = std::move(piece.done), ticket = std::move(piece.ticket), error] {
                if (!ticket.expired()) done(error);
            },
            Qt::QueuedConnection);
    }
}

} // namespace tarnwick::qt
