// The desktop's chooser: the user picks one file-system directory, or one
// file.
#pragma once

#include <string>

namespace tarnwick::platform {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Shows the chooser over the main window with `prompt` as its title,
    // opened in `start_folder` (or the nearest folder above it that exists).
    // The chosen directory's full path in the platform's own form, or the
    // empty text when the user cancels.
    virtual std::string ChooseFolder(const std::string& prompt,
                                     const std::string& start_folder) = 0;
    // The same for one existing file: the chosen file's full path, or the
    // empty text on cancel.
    virtual std::string ChooseFile(const std::string& prompt, const std::string& start_folder) = 0;
    // A file to write, new or one the user agreed to replace: its full path,
    // or the empty text on cancel.
    virtual std::string ChooseFileToWrite(const std::string& prompt,
                                          const std::string& start_folder,
                                          const std::string& name) = 0;
};

} // namespace tarnwick::platform
