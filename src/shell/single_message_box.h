// Message boxes that never stack: a box asked for while the same box (same
// text and title) is still open is not shown again, and answers as if
// refused (OK, or No to a question), so that a command repeated while its
// box is open does not start a second copy of itself.
#pragma once

#include "platform/message_box.h"

#include <string>
#include <vector>

namespace tarnwick::shell {

class SingleMessageBox : public platform::MessageBox {
public:
    explicit SingleMessageBox(platform::MessageBox& box) : box_(box) {}

    platform::MessageAnswer Show(const std::string& text, const std::string& title,
                                 platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override;
    bool AnyOpen() const { return !open_.empty(); }

private:
    platform::MessageBox& box_;
    std::vector<std::string> open_;
};

} // namespace tarnwick::shell
