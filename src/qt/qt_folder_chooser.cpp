#include "qt/qt_folder_chooser.h"

#include "qt/skin_palette.h"
#include "qt/text_conversion.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tarnwick::qt {

namespace {

// The folder itself when it exists, else the nearest one above it that does.
QString NearestExisting(const QString& folder) {
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) return {};
        path = parent;
    }
    return path;
}

} // namespace

std::string QtFolderChooser::ChooseFolder(const std::string& prompt,
                                          const std::string& start_folder) {
    return Choose(prompt, start_folder, QFileDialog::Directory);
}

std::string QtFolderChooser::ChooseFile(const std::string& prompt,
                                        const std::string& start_folder) {
    return Choose(prompt, start_folder, QFileDialog::ExistingFile);
}

// Qt's dialog asks before a file that is there is replaced.
std::string QtFolderChooser::ChooseFileToWrite(const std::string& prompt,
                                               const std::string& start_folder,
                                               const std::string& name) {
    const QString start =
        start_folder.empty() ? QString() : NearestExisting(ToQString(start_folder));
    QFileDialog dialog(parent_, ToQString(prompt), start);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(ToQString(name));
    TakeSkinPalette(dialog, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return ToStdString(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

std::string QtFolderChooser::Choose(const std::string& prompt, const std::string& start_folder,
                                    QFileDialog::FileMode mode) {
    const QString start =
        start_folder.empty() ? QString() : NearestExisting(ToQString(start_folder));
    // Qt's own dialog: the desktop's would not take the skin's palette.
    QFileDialog dialog(parent_, ToQString(prompt), start);
    dialog.setFileMode(mode);
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (mode == QFileDialog::Directory) options |= QFileDialog::ShowDirsOnly;
    dialog.setOptions(options);
    TakeSkinPalette(dialog, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return ToStdString(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

} // namespace tarnwick::qt
