#include "qt/qt_child_processes.h"

#include "qt/text_conversion.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace tarnwick::qt {
namespace {

using platform::ChildEnd;

// How long the last killed children may take to be reaped when this goes.
constexpr int kReapMilliseconds = 1000;

// Stops hearing from `process`, kills it when it still runs, and deletes it
// once its end has been seen (and the system's record of it taken).
void LetGo(QProcess* process) {
    QObject::disconnect(process, nullptr, process, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::stateChanged, process,
                     [process](QProcess::ProcessState state) {
                         if (state == QProcess::NotRunning) process->deleteLater();
                     });
    process->kill();
}

class QtChild : public platform::Child {
public:
    QtChild(QObject& home, const platform::ChildRequest& request,
            platform::ChildProcesses::OnEnd on_end)
        : home_(home),
          stdout_limit_(request.stdout_limit),
          on_end_(std::move(on_end)),
          process_(new QProcess(&home)) {
        process_->setStandardInputFile(QProcess::nullDevice());
        if (!request.working_folder.empty()) {
            process_->setWorkingDirectory(ToQString(request.working_folder));
        }
        QObject::connect(process_, &QProcess::readyReadStandardOutput, process_,
                         [this] { TakeOutput(); });
        QObject::connect(process_, &QProcess::readyReadStandardError, process_,
                         [this] { TakeErrors(); });
        QObject::connect(
            process_, &QProcess::finished, process_,
            [this](int exit_code, QProcess::ExitStatus status) { OnFinished(exit_code, status); });
        QObject::connect(process_, &QProcess::errorOccurred, process_,
                         [this](QProcess::ProcessError error) {
                             // Other errors are followed by the end itself.
                             if (error != QProcess::FailedToStart) return;
                             End({.kind = ChildEnd::Kind::kFailedToStart,
                                  .err_tail = ToStdString(process_->errorString())});
                         });
        QStringList arguments;
        for (const std::string& argument : request.arguments) arguments << ToQString(argument);
        // A failure may be told from inside start(); End only posts it.
        process_->start(ToQString(request.program), arguments);
    }

    ~QtChild() override {
        if (process_ != nullptr) LetGo(process_);
    }

private:
    void TakeOutput() {
        const QByteArray bytes = process_->readAllStandardOutput();
        const size_t size = static_cast<size_t>(bytes.size());
        const size_t room = stdout_limit_ - out_.size();
        out_.append(bytes.constData(), std::min(size, room));
        if (size > room) End({.kind = ChildEnd::Kind::kTooMuchOutput});
    }

    void TakeErrors() {
        const QByteArray bytes = process_->readAllStandardError();
        err_.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        // Trimmed now and then rather than on every piece.
        if (err_.size() > 2 * platform::kErrTailBytes) {
            err_.erase(0, err_.size() - platform::kErrTailBytes);
        }
    }

    void OnFinished(int exit_code, QProcess::ExitStatus status) {
        TakeErrors();
        TakeOutput();
        if (process_ == nullptr) return;
        if (status == QProcess::NormalExit) {
            End({.kind = ChildEnd::Kind::kExited, .exit_code = exit_code});
        } else {
            End({.kind = ChildEnd::Kind::kCrashed});
        }
    }

    // Gives the process up and tells `end`, with what the child printed,
    // from the event loop, unless this child is destroyed before then.
    void End(ChildEnd end) {
        LetGo(process_);
        process_ = nullptr;
        if (end.kind != ChildEnd::Kind::kFailedToStart) {
            end.out = std::move(out_);
            if (err_.size() > platform::kErrTailBytes) {
                err_.erase(0, err_.size() - platform::kErrTailBytes);
            }
            end.err_tail = std::move(err_);
        }
        QMetaObject::invokeMethod(
            &home_,
            [alive = std::weak_ptr<char>(alive_), on_end = std::move(on_end_),
             end = std::move(end)]() mutable {
                if (!alive.expired()) on_end(std::move(end));
            },
            Qt::QueuedConnection);
    }

    QObject& home_;
    const size_t stdout_limit_;
    platform::ChildProcesses::OnEnd on_end_;
    // Until the end: then it is let go.
    QProcess* process_;
    std::string out_;
    std::string err_;
    // Whether the end may still be told.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace

QtChildProcesses::QtChildProcesses(QStringList search_folders)
    : search_folders_(std::move(search_folders)) {}

QtChildProcesses::~QtChildProcesses() {
    // Only killed children are left; each takes a moment to be reaped.
    for (QProcess* process : home_.findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        process->kill();
        process->waitForFinished(kReapMilliseconds);
    }
}

std::unique_ptr<platform::Child> QtChildProcesses::Start(platform::ChildRequest request,
                                                         OnEnd on_end) {
    return std::make_unique<QtChild>(home_, request, std::move(on_end));
}

std::optional<std::string> QtChildProcesses::Find(std::string_view name) const {
    const QString found = QStandardPaths::findExecutable(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), search_folders_);
    if (found.isEmpty()) return std::nullopt;
    return ToStdString(found);
}

QStringList QtChildProcesses::DefaultSearchFolders() {
    QStringList folders{QDir::home().filePath(QStringLiteral(".local/bin"))};
    // An empty entry would mean the current folder: not looked in.
    folders << qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    return folders;
}

} // namespace tarnwick::qt
