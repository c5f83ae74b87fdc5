#include "qt/qt_clock.h"

#include <QTimer>

namespace tarnwick::qt {
namespace {

class QtTimer : public platform::Timer {
public:
    explicit QtTimer(std::function<void()> on_fire)
        : timer_(new QTimer), on_fire_(std::move(on_fire)) {
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, [this] { Fire(); });
    }
    ~QtTimer() override {
        QObject::disconnect(timer_, nullptr, nullptr, nullptr);
        timer_->stop();
        // A timer destroyed by its own handler goes once its signal is over.
        *alive_ = false;
        if (firing_ > 0) {
            timer_->deleteLater();
        } else {
            delete timer_;
        }
    }
    void Start(platform::Duration delay) override {
        timer_->start(static_cast<int>(delay.count()));
    }
    void Stop() override { timer_->stop(); }
    bool IsActive() const override { return timer_->isActive(); }

private:
    void Fire() {
        // The handler may destroy this timer, or fire it again inside a loop of
        // its own: it runs from a copy, and counts how deep it is.
        const std::shared_ptr<bool> alive = alive_;
        const std::function<void()> on_fire = on_fire_;
        ++firing_;
        on_fire();
        if (*alive) --firing_;
    }

    QTimer* timer_;
    std::function<void()> on_fire_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int firing_ = 0;
};

} // namespace

std::unique_ptr<platform::Timer> QtClock::NewTimer(std::function<void()> on_fire) {
    return std::make_unique<QtTimer>(std::move(on_fire));
}

} // namespace tarnwick::qt
