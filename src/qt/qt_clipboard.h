// The clipboard's text through the application's QClipboard.
#pragma once

#include "platform/clipboard.h"

namespace tarnwick::qt {

class QtClipboard : public platform::Clipboard {
public:
    // Empty when the application has no clipboard (no GUI application yet).
    std::string Text() override;
    void SetText(const std::string& text) override;
};

} // namespace tarnwick::qt
