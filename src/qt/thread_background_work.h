// Background work on one thread of its own: the pieces run in the order given,
// and each one's end is told from the Qt event loop of the thread that made
// this object. Destroying it runs the work still waiting first, so that
// nothing given to it is lost, such as a file's sync before the program ends.
#pragma once

#include "platform/background_work.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tarnwick::qt {

class ThreadBackgroundWork : public platform::BackgroundWork {
public:
    ThreadBackgroundWork();
    ~ThreadBackgroundWork() override;
    ThreadBackgroundWork(const ThreadBackgroundWork&) = delete;
    ThreadBackgroundWork& operator=(const ThreadBackgroundWork&) = delete;

    Ticket Run(Work work, Done done) override;
    void WaitForAll() override;

private:
    struct Piece {
        Work work;
        Done done;
        std::weak_ptr<void> ticket;
    };
    void Serve();

    // Where the ends are told; lives on the event loop's thread.
    QObject context_;
    std::mutex mutex_;
    std::condition_variable waiting_;
    // Told when the last piece given has run.
    std::condition_variable all_run_;
    std::deque<Piece> pieces_;
    // A piece taken from `pieces_` is running.
    bool running_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace tarnwick::qt
