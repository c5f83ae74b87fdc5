// The folder and file chooser on QFileDialog, over the given parent window, in its
// palette.
#pragma once

#include "platform/folder_chooser.h"

#include <QFileDialog>

class QWidget;

namespace tarnwick::qt {

class QtFolderChooser : public platform::FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}
    std::string ChooseFolder(const std::string& prompt, const std::string& start_folder) override;
    std::string ChooseFile(const std::string& prompt, const std::string& start_folder) override;
    std::string ChooseFileToWrite(const std::string& prompt, const std::string& start_folder,
                                  const std::string& name) override;

private:
    std::string Choose(const std::string& prompt, const std::string& start_folder,
                       QFileDialog::FileMode mode);

    QWidget* parent_;
};

} // namespace tarnwick::qt
