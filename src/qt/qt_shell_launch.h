// Program launches on QProcess and default handlers on QDesktopServices.
#pragma once

#include "platform/shell_launch.h"

namespace tarnwick::qt {

class QtShellLaunch : public platform::ShellLaunch {
public:
    bool LaunchProgram(const std::string& program,
                       const std::vector<std::string>& arguments) override;
    bool OpenDocument(const std::string& path, const std::string& section) override;
};

} // namespace tarnwick::qt
