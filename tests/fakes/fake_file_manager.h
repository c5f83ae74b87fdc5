// A file manager that records what it was asked to show, and answers as the
// test chooses, at once.
#pragma once

#include "platform/file_manager.h"

#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeFileManager : public platform::FileManager {
public:
    void ShowInFolder(const std::string& path,
                      std::function<void(platform::Opened)> done) override {
        shown.push_back(path);
        done(shows ? platform::Opened::kYes : refusal);
    }

    std::vector<std::string> shown;
    bool shows = true;
    // How opening the folder failed while nothing shows the file.
    platform::Opened refusal = platform::Opened::kProgramFailed;
};

} // namespace tarnwick::fakes
