// A folder and file chooser that records its prompts and answers with a set path.
#pragma once

#include "platform/folder_chooser.h"

#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeFolderChooser : public platform::FolderChooser {
public:
    std::string ChooseFolder(const std::string& prompt, const std::string& start_folder) override {
        prompts.push_back(prompt);
        start_folders.push_back(start_folder);
        return answer;
    }
    std::string ChooseFile(const std::string& prompt, const std::string& start_folder) override {
        prompts.push_back(prompt);
        start_folders.push_back(start_folder);
        return file_answer;
    }

    std::string ChooseFileToWrite(const std::string& prompt, const std::string& start_folder,
                                  const std::string& name) override {
        prompts.push_back(prompt);
        start_folders.push_back(start_folder + "/" + name);
        return file_answer;
    }

    std::vector<std::string> prompts;
    std::vector<std::string> start_folders;
    // The empty text plays a cancel.
    std::string answer;
    // What ChooseFile answers; the empty text plays a cancel.
    std::string file_answer;
};

} // namespace tarnwick::fakes
