// The main window: its caption and size, the skin and the grid placed on it,
// and the window operations the skin's commands and the tray ask for.
#pragma once

#include "platform/user_commands.h"

#include <string>

namespace tarnwick::platform {

class MainWindow {
public:
    virtual ~MainWindow() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetIcon(const std::string& path) = 0;
    // The window's client area, in pixels.
    virtual void SetSize(int width, int height) = 0;
    // Selects the site drop-down's first entry ("Auto").
    virtual void SelectAutoSite() = 0;
    // Places the skin's view and brings it in front of the classic controls.
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
};

} // namespace tarnwick::platform
