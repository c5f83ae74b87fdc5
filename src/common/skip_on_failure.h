// For procedures whose steps each may fail on their own: a failing step is
// skipped and the procedure goes on with the next one.
#pragma once

namespace tarnwick {

template <typename Step>
void SkipOnFailure(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        // The step is skipped.
    }
}

} // namespace tarnwick
