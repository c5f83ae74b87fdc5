// The main window: its caption and size, the skin and the grid placed on it,
// and the window operations the skin's commands and the tray ask for.
#pragma once

#include "platform/rect.h"
#include "platform/user_commands.h"

#include <string>

namespace tarnwick::platform {

// The window's edges, to resize it from; a corner is two of them.
enum WindowEdge : unsigned { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };

// Hears of each change of the window's place, size or maximised state, the
// user's or the program's.
class WindowGeometryListener {
public:
    virtual ~WindowGeometryListener() = default;
    virtual void OnWindowGeometryChanged() = 0;
};

class MainWindow {
public:
    virtual ~MainWindow() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetIcon(const std::string& path) = 0;
    // The window's client area, in pixels, which is also the least the user
    // can make it (the window may need more, for its contents' font).
    virtual void SetSize(int width, int height) = 0;
    // Places the skin's view, under the grid.
    virtual void PlaceSkin(int left, int top, int width, int height) = 0;
    // Loads the skin file into its view; false with the reason when it failed.
    virtual bool LoadSkin(const std::string& path, std::string& error) = 0;
    virtual void PlaceGrid(int left, int top, int width, int height) = 0;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void Minimize() = 0;
    // Shows the window, from the tray or a minimised state, above the others.
    virtual void BringToFront() = 0;
    // Lets the window follow the mouse, as if its caption had been grabbed,
    // until the button is released.
    virtual void StartDrag() = 0;
    // Ends the program once the call that is running returns to the event loop.
    virtual void Quit() = 0;
    // The commands whose keys work anywhere in the window, except where a
    // text field takes the key for itself; nullptr removes them.
    virtual void SetWindowCommands(UserCommands* commands) = 0;

    // The window's place and size on the desktop while it is neither
    // maximised nor minimised; set before the window is shown, they take
    // effect when it is.
    virtual Rect NormalGeometry() const = 0;
    virtual void SetNormalGeometry(const Rect& rect) = 0;
    virtual bool IsMaximized() const = 0;
    virtual void SetMaximized(bool maximized) = 0;
    // The part of the desktop that windows may take, without panels, on the
    // screen that holds `rect` (or on the main screen).
    virtual Rect AvailableArea(const Rect& rect) const = 0;
    // Lets the user resize the window with the mouse from `edges` (WindowEdge
    // flags), until the button is released.
    virtual void StartResize(unsigned edges) = 0;
    // nullptr removes the listener.
    virtual void SetGeometryListener(WindowGeometryListener* listener) = 0;
};

} // namespace tarnwick::platform
