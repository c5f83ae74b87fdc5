// Modal message boxes: text, title, icon and buttons in, the answer out.
#pragma once

#include <string>

namespace tarnwick::platform {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual MessageAnswer Show(const std::string& text, const std::string& title, MessageIcon icon,
                               MessageButtons buttons) = 0;
};

} // namespace tarnwick::platform
