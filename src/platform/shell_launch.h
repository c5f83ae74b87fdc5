// Starting other programs and opening documents through the desktop.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::platform {

// How the desktop's opening of a document ended.
enum class Opened {
    // A program took the document, or was still at it a while later.
    kYes,
    // The desktop's opener itself could not be started.
    kNoOpener,
    // The opener knows no program for the document's type.
    kNoProgram,
    // The opener started a program for it, and that failed (some desktops
    // also answer so when they know no program for the type).
    kProgramFailed,
};

class ShellLaunch {
public:
    virtual ~ShellLaunch() = default;
    // Starts `program` with `arguments`, each passed as it is (no shell), and
    // does not wait for it. False when the program could not be started.
    virtual bool LaunchProgram(const std::string& program,
                               const std::vector<std::string>& arguments) = 0;
    // Opens a local document (or folder) with the desktop's default handler,
    // at the named section when one is given. `done` is told once, later or
    // at once, how that ended; never after the launch is gone.
    virtual void OpenDocument(const std::string& path, const std::string& section,
                              std::function<void(Opened)> done) = 0;
};

} // namespace tarnwick::platform
