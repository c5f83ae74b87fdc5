// A clipboard whose text the test sets, and that can be made to fail.
#pragma once

#include "platform/clipboard.h"
#include "platform/platform_error.h"

#include <string>

namespace tarnwick::fakes {

class FakeClipboard : public platform::Clipboard {
public:
    std::string Text() override {
        ++reads;
        if (failing) throw platform::PlatformError(521, "clipboard busy");
        return text;
    }

    std::string text;
    bool failing = false;
    int reads = 0;
};

} // namespace tarnwick::fakes
