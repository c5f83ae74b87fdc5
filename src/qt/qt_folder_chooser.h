// The folder chooser on QFileDialog, over the given parent window.
#pragma once

#include "platform/folder_chooser.h"

class QWidget;

namespace tarnwick::platform::qt {

class QtFolderChooser : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}
    std::string ChooseFolder(const std::string& prompt) override;

private:
    QWidget* parent_;
};

} // namespace tarnwick::platform::qt
