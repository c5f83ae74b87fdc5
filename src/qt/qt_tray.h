// The tray icon on QSystemTrayIcon, with its pop-up menu built anew each time
// it opens. The menu opens and returns at once; a chosen entry comes later.
// Whether the desktop has a tray is asked each time, since a tray host may
// come and go.
#pragma once

#include "platform/tray.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include <functional>

namespace tarnwick::qt {

class QtTray : public platform::Tray {
public:
    using AvailabilityCheck = std::function<bool()>;

    // `is_available` replaces the desktop's own answer, for tests.
    explicit QtTray(AvailabilityCheck is_available = &QSystemTrayIcon::isSystemTrayAvailable);

    void SetIcon(const std::string& path) override;
    void SetTip(const std::string& tip) override;
    void SetInTray(bool in_tray) override;
    bool InTray() const override { return in_tray_; }
    bool IsAvailable() const override { return is_available_(); }
    void PopupMenu(const std::vector<platform::TrayMenuEntry>& entries) override;
    void SetListener(platform::TrayListener* listener) override { listener_ = listener; }

    // A message from the icon, while it is in the tray; `on_click` runs when
    // the user clicks the message. False where it cannot be shown.
    bool ShowMessage(const QString& title, const QString& text, std::function<void()> on_click);

private:
    AvailabilityCheck is_available_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    platform::TrayListener* listener_ = nullptr;
    bool in_tray_ = false;
    // What a click on the message shown last does.
    std::function<void()> on_message_click_;
};

} // namespace tarnwick::qt
