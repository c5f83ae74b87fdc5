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

bool QtShellLaunch::OpenWithDefaultHandler(const std::string& document_or_address) {
    const QString target = ToQString(document_or_address);
    const QUrl address(target);
    // A one-letter scheme is a Windows drive, not an address.
    const bool is_address = address.isValid() && address.scheme().size() > 1;
    return QDesktopServices::openUrl(is_address ? address : QUrl::fromLocalFile(target));
}

} // namespace tarnwick::qt
