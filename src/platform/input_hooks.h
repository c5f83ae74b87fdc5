// Filters on the main window's input: wheel turns while the download grid
// has the focus, and right-button presses and the context-menu key that
// must never reach the skin.
#pragma once

namespace tarnwick::platform {

class WheelListener {
public:
    virtual ~WheelListener() = default;
    // One wheel event that the grid left to the window; only the delta's sign
    // counts (positive: turned away from the user).
    virtual void OnWheel(int delta) = 0;
};

class InputHooks {
public:
    virtual ~InputHooks() = default;
    // Drops (true) or passes again (false) right-button presses and the
    // context-menu key on the skin; false when there is no skin view.
    virtual bool FilterSkinInput(bool enable) = 0;
    // Hands the window's wheel events to the listener; nullptr stops that.
    virtual void ForwardWheel(WheelListener* listener) = 0;
};

} // namespace tarnwick::platform
