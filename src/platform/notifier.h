// Desktop notifications: a short message outside the program's window, which
// the user may answer with its action; and whether the user is at the window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::platform {

struct Notification {
    std::string title;
    std::string text;
    // With a tag, the notification offers "Open", and choosing it hands the
    // tag back.
    std::optional<uint64_t> open_tag = std::nullopt;
};

class NotificationListener {
public:
    virtual ~NotificationListener() = default;
    // The user chose "Open" on the notification with `tag`.
    virtual void OnOpenChosen(uint64_t tag) = 0;
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // Whether one of the program's windows is the active one: the user sees
    // what happens in it.
    virtual bool WindowIsActive() const = 0;
    // Shows the notification through the desktop's notification service, or,
    // where there is none, as a message of the tray icon. Returns at once.
    virtual void Notify(const Notification& notification) = 0;
    // nullptr removes the listener.
    virtual void SetListener(NotificationListener* listener) = 0;
};

} // namespace tarnwick::platform
