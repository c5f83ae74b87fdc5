// Notifications through the desktop's notification service
// (org.freedesktop.Notifications over the session bus), or, where the bus or
// the service is missing, as a message of the tray icon. Nothing waits: the
// call to the service is answered later, and a failed call shows the tray's
// message instead.
#pragma once

#include "platform/notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>

namespace tarnwick::qt {

// The desktop id that the program's desktop entry and icon go by.
inline constexpr const char* kDesktopId = "example.orvelle.Tarnwick";

class DesktopNotifier : public QObject, public platform::Notifier {
    Q_OBJECT

public:
    // Shows a message from the tray icon; `on_click` runs when the user
    // clicks it. False where the tray cannot show one.
    using TrayMessage = std::function<bool(const QString& title, const QString& text,
                                           std::function<void()> on_click)>;

    DesktopNotifier(QDBusConnection bus, TrayMessage tray_message);

    bool WindowIsActive() const override;
    void Notify(const platform::Notification& notification) override;
    void SetListener(platform::NotificationListener* listener) override { listener_ = listener; }

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void ShowInTray(const platform::Notification& notification);
    void ChooseOpen(uint64_t tag);

    QDBusConnection bus_;
    TrayMessage tray_message_;
    platform::NotificationListener* listener_ = nullptr;
    // The tag of each shown notification that offers "Open", by its id.
    std::map<uint, uint64_t> open_tags_;
};

} // namespace tarnwick::qt
