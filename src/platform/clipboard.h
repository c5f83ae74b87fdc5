// The desktop clipboard's text.
#pragma once

#include <string>

namespace tarnwick::platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The clipboard's current text in the default text format; empty when
    // it holds no text.
    virtual std::string Text() = 0;
    // Puts the text on the clipboard.
    virtual void SetText(const std::string& text) = 0;
};

} // namespace tarnwick::platform
