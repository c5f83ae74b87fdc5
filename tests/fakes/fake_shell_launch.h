// A shell launch that records what it was asked to start or open, and
// answers an opening at once, as the test chooses.
#pragma once

#include "platform/shell_launch.h"

#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeShellLaunch : public platform::ShellLaunch {
public:
    struct Launch {
        std::string program;
        std::vector<std::string> arguments;
        bool operator==(const Launch&) const = default;
    };

    bool LaunchProgram(const std::string& program,
                       const std::vector<std::string>& arguments) override {
        launches.push_back({program, arguments});
        return programs_exist;
    }
    void OpenDocument(const std::string& path, const std::string& section,
                      std::function<void(platform::Opened)> done) override {
        opened.push_back(section.empty() ? path : path + "#" + section);
        done(handler_exists ? platform::Opened::kYes : refusal);
    }

    std::vector<Launch> launches;
    std::vector<std::string> opened;
    bool programs_exist = true;
    bool handler_exists = true;
    // The answer to an opening while no handler exists.
    platform::Opened refusal = platform::Opened::kNoOpener;
};

} // namespace tarnwick::fakes
