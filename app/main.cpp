// Tarnwick: builds the program with the desktop's services and runs it, once
// per user. A later launch hands its command line (the addresses to list) to
// the running program and ends. "--no-clipboard-polling" keeps the polling
// timer from standing in for a clipboard watcher that cannot start, so that
// the watcher can be tried alone. "--verbose" writes a trace of what the
// program does to stderr. "--help" and "--version" only print.
// "--setup-browsers" sets the user's browsers up for the extension, says so,
// and ends, without a window or the lock. SIGTERM and SIGINT end the program
// as its Exit does, without asking.
#include "app/malloc_arena.h"
#include "app/tarnwick_app.h"
#include "common/app_info.h"
#include "qt/desktop_entry.h"
#include "qt/instance_lock.h"
#include "qt/local_channel.h"
#include "qt/qml_skin_player.h"
#include "qt/qt_trace.h"
#include "qt/termination_signals.h"
#include "shell/browser_setup_action.h"
#include "shell/command_line.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using tarnwick::qt::InstanceLock;

// How long a later launch tries to reach the running program, which may
// still be starting.
constexpr std::chrono::milliseconds kHandOverTime{10000};
constexpr std::chrono::milliseconds kRetryPause{50};

using tarnwick::shell::LaunchAction;

std::vector<std::string> ArgumentsOf(int argc, char* argv[]) { return {argv, argv + argc}; }

// Qt has taken its own options out of these.
std::vector<std::string> QtArguments() {
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments()) {
        arguments.push_back(argument.toStdString());
    }
    return arguments;
}

// "--help" and "--version" print and end before anything else is touched,
// with no display needed.
bool OnlyPrints(const tarnwick::shell::CommandLine& line) {
    if (line.action == LaunchAction::kHelp) {
        std::fputs(tarnwick::shell::UsageText().c_str(), stdout);
    } else if (line.action == LaunchAction::kVersion) {
        std::fputs(tarnwick::shell::VersionText().c_str(), stdout);
    } else {
        return false;
    }
    return true;
}

// Where the desktop can show a folder: a display to show it on.
bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// "--setup-browsers": writes the host's manifests, prints what was set up,
// and opens the extension's folder where there is a display. 1 when nothing
// could be set up and some browser failed.
int SetUpBrowsers(int argc, char* argv[]) {
    const bool shows = HasDisplay();
    // Only a GUI application has the desktop's services to open a folder.
    const std::unique_ptr<QCoreApplication> app =
        shows ? std::make_unique<QGuiApplication>(argc, argv)
              : std::make_unique<QCoreApplication>(argc, argv);
    const tarnwick::shell::BrowserSetUp outcome = tarnwick::shell::SetUpBrowsersFor(
        QDir::homePath().toStdString(), QCoreApplication::applicationDirPath().toStdString());
    std::fputs((outcome.report + "\n").c_str(), stdout);
    std::fflush(stdout);
    if (shows && !outcome.extension_folder.empty()) {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(outcome.extension_folder)));
    }
    return outcome.failed ? 1 : 0;
}

// A later launch: hands the texts over, or ends holding the lock itself when
// the running program ends meanwhile. True when the texts are handed over.
bool HandOver(InstanceLock& lock, const std::vector<std::string>& texts) {
    const QDeadlineTimer deadline(kHandOverTime);
    while (!deadline.hasExpired()) {
        const std::string channel = lock.RunningChannel();
        if (!channel.empty() &&
            tarnwick::qt::HandOverLaunch(QString::fromStdString(channel), texts,
                                         static_cast<int>(deadline.remainingTime()))) {
            return true;
        }
        if (lock.TryAgain() != InstanceLock::State::kHeldElsewhere) return false;
        QThread::msleep(static_cast<unsigned long>(kRetryPause.count()));
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    const tarnwick::shell::CommandLine first =
        tarnwick::shell::ReadCommandLine(ArgumentsOf(argc, argv));
    if (OnlyPrints(first)) return 0;
    if (first.action == LaunchAction::kSetUpBrowsers) return SetUpBrowsers(argc, argv);
    tarnwick::app::UseOneMallocArena();
    QApplication app(argc, argv);
    const tarnwick::shell::CommandLine line = tarnwick::shell::ReadCommandLine(QtArguments());
    if (line.action == LaunchAction::kUnknownOption) {
        std::fputs(tarnwick::shell::UnknownOptionText(line.unknown_option).c_str(), stderr);
        return 2;
    }
    QApplication::setApplicationName("Tarnwick");
    QApplication::setOrganizationName("Orvelle Tarnwick");
    QApplication::setApplicationVersion(tarnwick::kVersionText);
    tarnwick::qt::NameDesktopEntry(tarnwick::kDesktopId);
    if (line.verbose) tarnwick::qt::QtTrace::SwitchAllOn();
    // Hidden in the tray, the program lives on until its exit command.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::vector<std::string>& texts = line.addresses;
    InstanceLock lock(tarnwick::qt::LocalChannel::SocketFolder());
    if (lock.state() == InstanceLock::State::kHeldElsewhere && HandOver(lock, texts)) return 0;
    if (lock.state() == InstanceLock::State::kHeldElsewhere) {
        QMessageBox::critical(nullptr, "Tarnwick",
                              "Tarnwick is running already, but does not answer.");
        return 1;
    }
    if (lock.state() == InstanceLock::State::kUnavailable) {
        std::fputs("tarnwick: no lock file in the runtime folder; another Tarnwick may run\n",
                   stderr);
    }

    tarnwick::qt::ChooseSkinRenderer();
    tarnwick::app::TarnwickApp tarnwick;
    tarnwick::qt::ClassWindowByDesktopEntry(tarnwick.window, tarnwick::kDesktopId);
    if (line.no_clipboard_polling) tarnwick.clipboard_monitor.AllowPollingStandIn(false);
    const tarnwick::qt::TerminationSignals ended_from_outside(
        [&tarnwick] { tarnwick.lifecycle.ExitUnasked(); });
    // Later launches find the channel as soon as it listens; what they hand
    // over waits until the kept list is back.
    if (!tarnwick.Start([&] { lock.Announce(tarnwick.channel.Address()); }, line.in_tray)) return 1;
    tarnwick.TakeLaunch(texts);
    return QApplication::exec();
}
