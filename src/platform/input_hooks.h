// Filters on the main window's input: wheel turns over the download grid,
// and right-button presses and the context-menu key that must never reach
// the skin.
#pragma once

namespace tarnwick::platform {

class WheelListener {
public:
    virtual ~WheelListener() = default;
    // One wheel event with the pointer over the grid, which does not scroll
    // by itself. Only the deltas' signs count (vertical positive: turned away
    // from the user); a tilt of the wheel has a horizontal delta only.
    virtual void OnWheel(int vertical_delta, int horizontal_delta) = 0;
};

class InputHooks {
public:
    virtual ~InputHooks() = default;
    // Drops (true) or passes again (false) right-button presses and the
    // context-menu key on the skin; false when there is no skin view.
    virtual bool FilterSkinInput(bool enable) = 0;
    // Hands the wheel events over the grid to the listener; nullptr stops that.
    virtual void ForwardWheel(WheelListener* listener) = 0;
};

} // namespace tarnwick::platform
