// A message box that records what it showed and answers from a script.
#pragma once

#include "platform/message_box.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::fakes {

struct ShownMessage {
    std::string text;
    std::string title;
    platform::MessageIcon icon;
    platform::MessageButtons buttons;
};

class ScriptedMessageBox : public platform::MessageBox {
public:
    platform::MessageAnswer Show(const std::string& text, const std::string& title,
                                 platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (while_open) while_open();
        if (buttons == platform::MessageButtons::Ok) return platform::MessageAnswer::Ok;
        if (answers.empty()) return platform::MessageAnswer::No;
        const platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<ShownMessage> shown;
    // Answers to Yes/No questions, in order; No once the script runs out.
    std::deque<platform::MessageAnswer> answers;
    // Runs while a box is open, as events would.
    std::function<void()> while_open;
};

} // namespace tarnwick::fakes
