// The desktop's folder chooser: the user picks one file-system directory.
#pragma once

#include <string>

namespace tarnwick::platform {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Shows the chooser over the main window with `prompt` as its title and
    // no folder preselected. The chosen directory's full path in the
    // platform's own form, or the empty text when the user cancels.
    virtual std::string ChooseFolder(const std::string& prompt) = 0;
};

} // namespace tarnwick::platform
