// The tray icon on QSystemTrayIcon, with its pop-up menu built anew each time
// it opens. The menu opens and returns at once; a chosen entry comes later.
#pragma once

#include "platform/tray.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace tarnwick::qt {

class QtTray : public platform::Tray {
public:
    QtTray();

    void SetIcon(const std::string& path) override;
    void SetTip(const std::string& tip) override;
    void SetInTray(bool in_tray) override;
    bool InTray() const override { return in_tray_; }
    void PopupMenu(const std::vector<platform::TrayMenuEntry>& entries) override;
    void SetListener(platform::TrayListener* listener) override { listener_ = listener; }

private:
    QSystemTrayIcon icon_;
    QMenu menu_;
    platform::TrayListener* listener_ = nullptr;
    bool in_tray_ = false;
};

} // namespace tarnwick::qt
