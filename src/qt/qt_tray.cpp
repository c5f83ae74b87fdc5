#include "qt/qt_tray.h"

#include "qt/text_conversion.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QMenu>

#include <utility>

namespace tarnwick::qt {

QtTray::QtTray(AvailabilityCheck is_available) : is_available_(std::move(is_available)) {
    icon_.setToolTip(QStringLiteral("Tarnwick"));
    QObject::connect(&icon_, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (listener_ == nullptr) return;
                         if (reason == QSystemTrayIcon::Trigger) listener_->OnTrayButton(1);
                         if (reason == QSystemTrayIcon::Context) listener_->OnTrayButton(2);
                     });
    QObject::connect(&icon_, &QSystemTrayIcon::messageClicked, [this] {
        if (on_message_click_) on_message_click_();
    });
    QObject::connect(&menu_, &QMenu::triggered, [this](QAction* chosen) {
        if (listener_ != nullptr) {
            listener_->OnTrayMenuEntry(ToStdString(chosen->data().toString()));
        }
    });
}

void QtTray::SetIcon(const std::string& path) { icon_.setIcon(QIcon(ToQString(path))); }

void QtTray::SetTip(const std::string& tip) { icon_.setToolTip(ToQString(tip)); }

void QtTray::SetInTray(bool in_tray) {
    in_tray_ = in_tray;
    icon_.setVisible(in_tray);
}

bool QtTray::ShowMessage(const QString& title, const QString& text,
                         std::function<void()> on_click) {
    if (!in_tray_ || !is_available_() || !QSystemTrayIcon::supportsMessages()) return false;
    on_message_click_ = std::move(on_click);
    icon_.showMessage(title, text, QSystemTrayIcon::Information);
    return true;
}

void QtTray::PopupMenu(const std::vector<platform::TrayMenuEntry>& entries) {
    QMenu& menu = menu_;
    menu.clear();
    for (const platform::TrayMenuEntry& entry : entries) {
        if (entry.separator) {
            if (entry.enabled) menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(ToQString(entry.caption));
        action->setEnabled(entry.enabled);
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        action->setData(ToQString(entry.name));
    }
    menu.popup(QCursor::pos());
}

} // namespace tarnwick::qt
