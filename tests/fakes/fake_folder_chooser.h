// A folder chooser that records its prompts and answers with a set path.
#pragma once

#include "platform/folder_chooser.h"

#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeFolderChooser : public platform::FolderChooser {
public:
    std::string ChooseFolder(const std::string& prompt) override {
        prompts.push_back(prompt);
        return answer;
    }

    std::vector<std::string> prompts;
    // The empty text plays a cancel.
    std::string answer;
};

} // namespace tarnwick::fakes
