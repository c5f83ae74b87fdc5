#include "qt/qt_folder_chooser.h"

#include "qt/text_conversion.h"

#include <QDir>
#include <QFileDialog>

namespace tarnwick::qt {

std::string QtFolderChooser::ChooseFolder(const std::string& prompt) {
    const QString folder = QFileDialog::getExistingDirectory(parent_, ToQString(prompt), QString(),
                                                             QFileDialog::ShowDirsOnly);
    return ToStdString(QDir::toNativeSeparators(folder));
}

} // namespace tarnwick::qt
