// The benchmark's own client of the virtual display. It sees the top-level
// windows the program maps, learns when the main one is first drawn on
// (X DAMAGE), pings it as a window manager does (_NET_WM_PING, which Qt
// answers from its GUI thread) and times the answers, and clicks and types
// into it through XTEST.
#pragma once

#include "ping_times.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::bench {

class XObserver {
public:
    // Connects to `display`; throws when it cannot, or when the server lacks
    // the DAMAGE or XTEST extension.
    explicit XObserver(const std::string& display);
    ~XObserver();
    XObserver(const XObserver&) = delete;
    XObserver& operator=(const XObserver&) = delete;

    int Fd() const;
    // Handles every event that has come.
    void Dispatch();
    // Forgets the windows seen so far, before another program starts.
    void ForgetWindows();

    // The first top-level window mapped since ForgetWindows that is not
    // override-redirect (no tooltip or menu): the program's main window.
    xcb_window_t MainWindow() const { return main_window_; }
    // When the main window was first drawn on; 0 until then.
    int64_t FirstDrawnNs() const { return first_drawn_ns_; }
    // How often the main window has been drawn on: each drawing the
    // benchmark is told of, after it has taken note of the one before.
    int64_t Drawings() const { return drawings_; }
    // Top-level windows mapped after the main one and mapped still (dialogs).
    const std::vector<xcb_window_t>& OtherWindows() const { return other_windows_; }

    // Sends the main window a _NET_WM_PING.
    void Ping();
    PingTimes& Pings() { return pings_; }

    // A click of the first button at (x, y) of the main window.
    void Click(int x, int y);
    // Gives `window` the keyboard and presses and releases the key of `keysym`.
    void PressKey(xcb_window_t window, uint32_t keysym);

private:
    void Handle(const xcb_generic_event_t* event);
    void Created(const xcb_create_notify_event_t* event);
    void Mapped(const xcb_map_notify_event_t* event);
    void Unmapped(xcb_window_t window);
    void ClientMessage(const xcb_client_message_event_t* event);
    xcb_atom_t Atom(const char* name);
    xcb_keycode_t KeycodeOf(uint32_t keysym);

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    uint8_t damage_event_ = 0;
    xcb_atom_t protocols_atom_ = XCB_NONE;
    xcb_atom_t ping_atom_ = XCB_NONE;
    xcb_window_t main_window_ = XCB_NONE;
    int64_t first_drawn_ns_ = 0;
    int64_t drawings_ = 0;
    std::vector<xcb_window_t> other_windows_;
    uint32_t next_ping_ = 1;
    PingTimes pings_;
};

} // namespace tarnwick::bench
