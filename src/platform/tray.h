// The icon in the system tray, its two mouse notifications and its pop-up menu.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::platform {

struct TrayMenuEntry {
    std::string name; // the entry's name, handed back when it is chosen
    std::string caption;
    bool separator = false;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
};

class TrayListener {
public:
    virtual ~TrayListener() = default;
    // 1 for the left button, 2 for the right button.
    virtual void OnTrayButton(int button) = 0;
    virtual void OnTrayMenuEntry(const std::string& name) = 0;
};

class Tray {
public:
    virtual ~Tray() = default;
    virtual void SetIcon(const std::string& path) = 0;
    virtual void SetTip(const std::string& tip) = 0;
    // Shows or removes the icon.
    virtual void SetInTray(bool in_tray) = 0;
    virtual bool InTray() const = 0;
    // Whether the desktop has a tray to show the icon in at all.
    virtual bool IsAvailable() const = 0;
    // Opens the menu at the pointer; a chosen entry reaches the listener.
    virtual void PopupMenu(const std::vector<TrayMenuEntry>& entries) = 0;
    // nullptr removes the listener.
    virtual void SetListener(TrayListener* listener) = 0;
};

} // namespace tarnwick::platform
