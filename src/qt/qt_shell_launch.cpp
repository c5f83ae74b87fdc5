#include "qt/qt_shell_launch.h"

#include "qt/text_conversion.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace tarnwick::qt {

bool QtShellLaunch::LaunchProgram(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    QStringList qt_arguments;
    for (const std::string& argument : arguments) qt_arguments << ToQString(argument);
    return QProcess::startDetached(ToQString(program), qt_arguments);
}

bool QtShellLaunch::OpenDocument(const std::string& path, const std::string& section) {
    QUrl address = QUrl::fromLocalFile(ToQString(path));
    if (!section.empty()) address.setFragment(ToQString(section));
    // On Linux the desktop's handler is reached through xdg-open.
    return QDesktopServices::openUrl(address);
}

} // namespace tarnwick::qt
