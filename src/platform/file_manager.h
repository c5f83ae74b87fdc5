// The desktop's file manager.
#pragma once

#include "platform/shell_launch.h"

#include <functional>
#include <string>

namespace tarnwick::platform {

class FileManager {
public:
    virtual ~FileManager() = default;
    // Shows the file selected in its folder, or, where no file manager
    // answers, opens the folder. `done` is told once, later or at once: kYes
    // when either was done, else how the opening of the folder failed.
    virtual void ShowInFolder(const std::string& path, std::function<void(Opened)> done) = 0;
};

} // namespace tarnwick::platform
