#include "app/browser_host/program_handover.h"

#include "qt/instance_lock.h"
#include "qt/local_channel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <optional>

#include <unistd.h>

namespace tarnwick::browser_host {
namespace {

constexpr unsigned long kRetryPauseMs = 50;
constexpr const char* kProgramName = "tarnwick";

// The program beside the host, started in the tray without the focus, in a
// session of its own: it lives on when the browser ends the host, and never
// writes into the browser's pipes.
bool StartProgram() {
    QProcess program;
    program.setProgram(QCoreApplication::applicationDirPath() + '/' + kProgramName);
    program.setArguments({QStringLiteral("--tray")});
    program.setStandardInputFile(QProcess::nullDevice());
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    program.setChildProcessModifier([] { ::setsid(); });
    return program.startDetached();
}

struct RunningProgram {
    bool runs = false;
    std::string channel; // empty until it announced its channel
};

// Whether a program runs, by its lock. The lock is taken for a moment only
// where none does: a program starting meanwhile tries again for it.
RunningProgram FindProgram() {
    const qt::InstanceLock lock(qt::LocalChannel::SocketFolder());
    if (lock.state() != qt::InstanceLock::State::kHeldElsewhere) return {};
    return {true, lock.RunningChannel()};
}

} // namespace

std::variant<std::vector<handoff::ItemReply>, handoff::Refusal> HandToProgram(
    const std::vector<handoff::HandedItem>& items) {
    std::vector<std::string> lines;
    for (const handoff::HandedItem& item : items) lines.push_back(handoff::ChannelItemLine(item));
    const QDeadlineTimer deadline(kProgramWaitMs);
    bool started = false;
    while (!deadline.hasExpired()) {
        const RunningProgram running = FindProgram();
        if (!running.runs && !started) {
            started = true;
            if (!StartProgram()) return handoff::Refusal{"Tarnwick could not be started"};
        } else if (!running.channel.empty()) {
            const int wait = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
            const auto answers =
                qt::HandOverBrowserItems(QString::fromStdString(running.channel), lines, wait);
            if (answers) {
                std::vector<handoff::ItemReply> replies;
                for (size_t i = 0; i < items.size(); ++i)
                    replies.push_back(handoff::ReplyOfAnswer(items[i].url, (*answers)[i]));
                return replies;
            }
        }
        QThread::msleep(kRetryPauseMs);
    }
    return handoff::Refusal{"Tarnwick did not answer within 10 seconds"};
}

} // namespace tarnwick::browser_host
