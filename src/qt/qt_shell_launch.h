// Program launches on QProcess, and documents opened through the desktop's
// opener (xdg-open), whose exit status tells whether a program took the
// document. Elsewhere QDesktopServices opens them.
#pragma once

#include "platform/shell_launch.h"

#include <QObject>
#include <QString>

namespace tarnwick::qt {

class QtShellLaunch : public platform::ShellLaunch {
public:
    // How long the opener may take to answer: some run the document's
    // program until it ends, which counts as opened once this has passed.
    static constexpr int kAnswerTimeMs = 5000;

    // `opener` is the desktop's opener, called with one path or address.
    explicit QtShellLaunch(QString opener = QStringLiteral("xdg-open"));
    // Openers still at work are left to run on: the programs they started
    // are the user's.
    ~QtShellLaunch() override;
    QtShellLaunch(const QtShellLaunch&) = delete;
    QtShellLaunch& operator=(const QtShellLaunch&) = delete;

    bool LaunchProgram(const std::string& program,
                       const std::vector<std::string>& arguments) override;
    void OpenDocument(const std::string& path, const std::string& section,
                      std::function<void(platform::Opened)> done) override;

private:
    QString opener_;
    // The parent of the openings under way.
    QObject openings_;
};

} // namespace tarnwick::qt
