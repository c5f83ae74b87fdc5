// Which desktop entry the program's windows belong to, so that docks and task
// bars show them under its launcher: on Wayland the window's app id (the
// desktop file name), on X11 the window's class (WM_CLASS), which the entry
// names as its StartupWMClass.
#pragma once

class QWidget;

namespace tarnwick::qt {

// Before the first window is made.
void NameDesktopEntry(const char* desktop_id);

// The X11 class of `window`, set before it is first shown: the resource name
// stays the program's file name, the class becomes the desktop id. Does
// nothing elsewhere.
void ClassWindowByDesktopEntry(QWidget& window, const char* desktop_id);

} // namespace tarnwick::qt
