// The folder chooser on QFileDialog, over the given parent window, in its
// palette.
#pragma once

#include "platform/folder_chooser.h"

class QWidget;

namespace tarnwick::qt {

class QtFolderChooser : public platform::FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}
    std::string ChooseFolder(const std::string& prompt, const std::string& start_folder) override;

private:
    QWidget* parent_;
};

} // namespace tarnwick::qt
