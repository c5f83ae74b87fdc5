// A notifier that keeps what it was asked to show, with the window's
// activity set by the test.
#pragma once

#include "platform/notifier.h"

#include <vector>

namespace tarnwick::fakes {

class FakeNotifier : public platform::Notifier {
public:
    bool WindowIsActive() const override { return window_active; }
    void Notify(const platform::Notification& notification) override {
        shown.push_back(notification);
    }
    void SetListener(platform::NotificationListener* listener) override {
        this->listener = listener;
    }

    bool window_active = false;
    std::vector<platform::Notification> shown;
    platform::NotificationListener* listener = nullptr;
};

} // namespace tarnwick::fakes
