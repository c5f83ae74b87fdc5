// Starting other programs and opening documents through the desktop.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::platform {

class ShellLaunch {
public:
    virtual ~ShellLaunch() = default;
    // Starts `program` with `arguments`, each passed as it is (no shell), and
    // does not wait for it. False when the program could not be started.
    virtual bool LaunchProgram(const std::string& program,
                               const std::vector<std::string>& arguments) = 0;
    // Opens a local document with the desktop's default handler, at the
    // named section when one is given. False when no handler took it.
    virtual bool OpenDocument(const std::string& path, const std::string& section) = 0;
};

} // namespace tarnwick::platform
