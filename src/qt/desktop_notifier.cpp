#include "qt/desktop_notifier.h"

#include "qt/text_conversion.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QStringList>
#include <QVariantMap>

#include <utility>

namespace tarnwick::qt {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// "default" is what a click on the notification itself invokes.
constexpr const char* kDefaultAction = "default";
constexpr const char* kOpenAction = "open";
// As many notifications as the service keeps open at once, and more.
constexpr size_t kMostOpen = 100;
// The service's own time before a notification goes.
constexpr int kServiceTimeout = -1;

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, TrayMessage tray_message)
    : bus_(std::move(bus)), tray_message_(std::move(tray_message)) {
    if (!bus_.isConnected()) return;
    bus_.connect(kService, kPath, kInterface, "ActionInvoked", this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, "NotificationClosed", this,
                 SLOT(OnClosed(uint, uint)));
}

bool DesktopNotifier::WindowIsActive() const {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void DesktopNotifier::Notify(const platform::Notification& notification) {
    if (!bus_.isConnected()) return ShowInTray(notification);
    QStringList actions;
    if (notification.open_tag) {
        actions << kDefaultAction << "Open" << kOpenAction << "Open";
    }
    QVariantMap hints;
    hints.insert("desktop-entry", QString(kDesktopId));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    // Services that read markup in the text would take a file's "&" or "<" for it.
    call << QString("Tarnwick") << uint{0} << QString("tarnwick") << ToQString(notification.title)
         << ToQString(notification.text).toHtmlEscaped() << actions << hints << kServiceTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notification](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) return ShowInTray(notification);
                if (!notification.open_tag) return;
                open_tags_[reply.value()] = *notification.open_tag;
                if (open_tags_.size() > kMostOpen) open_tags_.erase(open_tags_.begin());
            });
}

void DesktopNotifier::ShowInTray(const platform::Notification& notification) {
    std::function<void()> on_click;
    if (notification.open_tag) {
        on_click = [this, tag = *notification.open_tag] { ChooseOpen(tag); };
    }
    // Where the tray cannot show it either, the grid still shows how the item ended.
    tray_message_(ToQString(notification.title), ToQString(notification.text), std::move(on_click));
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    if (action != kOpenAction && action != kDefaultAction) return;
    const auto found = open_tags_.find(id);
    if (found != open_tags_.end()) ChooseOpen(found->second);
}

void DesktopNotifier::OnClosed(uint id, uint /*reason*/) { open_tags_.erase(id); }

void DesktopNotifier::ChooseOpen(uint64_t tag) {
    if (listener_ != nullptr) listener_->OnOpenChosen(tag);
}

} // namespace tarnwick::qt
