#include "shell/single_message_box.h"

#include <algorithm>

namespace tarnwick::shell {

platform::MessageAnswer SingleMessageBox::Show(const std::string& text, const std::string& title,
                                               platform::MessageIcon icon,
                                               platform::MessageButtons buttons) {
    const std::string key = title + '\n' + text;
    if (std::find(open_.begin(), open_.end(), key) != open_.end()) {
        return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::No
                                                          : platform::MessageAnswer::Ok;
    }
    open_.push_back(key);
    struct Closed {
        std::vector<std::string>& open;
        ~Closed() { open.pop_back(); }
    } closed{open_};
    return box_.Show(text, title, icon, buttons);
}

} // namespace tarnwick::shell
