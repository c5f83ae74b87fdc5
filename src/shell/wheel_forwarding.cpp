#include "shell/wheel_forwarding.h"

namespace tarnwick::shell {
namespace {

// The grid's row-scroll actions: 1 moves one way, 0 the other.
constexpr int kScrollUpAction = 1;
constexpr int kScrollDownAction = 0;

} // namespace

void WindowHooks::StartHook() {
    hooks_.FilterSkinInput(true);
    hooks_.ForwardWheel(this);
}

void WindowHooks::StopHook() {
    hooks_.FilterSkinInput(false);
    hooks_.ForwardWheel(nullptr);
}

void WindowHooks::OnWheel(int vertical_delta, int horizontal_delta) {
    if (vertical_delta == 0 && horizontal_delta != 0) return;
    if (vertical_delta < 0) {
        ScrollUp();
    } else {
        ScrollDown();
    }
}

void WindowHooks::ScrollUp() { grid_.ScrollRows(kScrollUpAction); }

void WindowHooks::ScrollDown() { grid_.ScrollRows(kScrollDownAction); }

} // namespace tarnwick::shell
