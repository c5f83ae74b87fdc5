// The window hooks: the wheel scrolls the download grid one row per event
// while the pointer is over it, focused or not, and right-button presses and
// the context-menu key never reach the skin.
#pragma once

#include "platform/grid.h"
#include "platform/input_hooks.h"

namespace tarnwick::shell {

class WindowHooks : public platform::WheelListener {
public:
    WindowHooks(platform::InputHooks& hooks, platform::Grid& grid) : hooks_(hooks), grid_(grid) {}

    void StartHook();
    void StopHook();
    // One step whatever the delta's size: negative scrolls up, zero or
    // positive scrolls down. A sideways tilt does nothing.
    void OnWheel(int vertical_delta, int horizontal_delta) override;
    void ScrollUp();
    void ScrollDown();

private:
    platform::InputHooks& hooks_;
    platform::Grid& grid_;
};

} // namespace tarnwick::shell
