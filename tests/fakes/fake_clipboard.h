// A clipboard whose text the test sets, and the program too.
#pragma once

#include "platform/clipboard.h"

#include <string>

namespace tarnwick::fakes {

class FakeClipboard : public platform::Clipboard {
public:
    std::string Text() override {
        ++reads;
        return text;
    }
    void SetText(const std::string& text) override { this->text = text; }

    std::string text;
    int reads = 0;
};

} // namespace tarnwick::fakes
