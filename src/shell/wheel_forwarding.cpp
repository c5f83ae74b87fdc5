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

void WindowHooks::OnWheel(int delta) {
    if (!grid_.HasFocus()) return;
    if (delta < 0) {
        ScrollUp();
    } else {
        ScrollDown();
    }
}

void WindowHooks::ScrollUp() {
    if (grid_.HasFocus()) grid_.ScrollRows(kScrollUpAction);
}

void WindowHooks::ScrollDown() {
    if (grid_.HasFocus()) grid_.ScrollRows(kScrollDownAction);
}

} // namespace tarnwick::shell
