// The desktop's file manager.
#pragma once

#include <functional>
#include <string>

namespace tarnwick::platform {

class FileManager {
public:
    virtual ~FileManager() = default;
    // Shows the file selected in its folder, or else opens the folder.
    // `done` is told once, later or at once, whether either was done.
    virtual void ShowInFolder(const std::string& path, std::function<void(bool shown)> done) = 0;
};

} // namespace tarnwick::platform
