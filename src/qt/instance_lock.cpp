#include "qt/instance_lock.h"

#include "qt/local_channel.h"

#include <QFile>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tarnwick::qt {
namespace {

// An announcement is one line; a line not yet ended is not read.
constexpr qint64 kMostAnnouncementBytes = 4096;
constexpr char kAnnouncementEnd = '\n';

} // namespace

QString InstanceLock::PathIn(const QString& folder, const QString& name) {
    return folder + QStringLiteral("/%1-%2.lock").arg(name, UserIdText());
}

InstanceLock::InstanceLock(const QString& folder, const QString& name)
    : path_(PathIn(folder, name)) {
    Take();
}

InstanceLock::~InstanceLock() {
#ifdef Q_OS_UNIX
    // Closing lets go of the lock; the file stays for the next program.
    if (descriptor_ >= 0) ::close(descriptor_);
#endif
}

InstanceLock::State InstanceLock::TryAgain() {
    if (state_ == State::kHeldElsewhere) Take();
    return state_;
}

#ifdef Q_OS_UNIX

void InstanceLock::Take() {
    if (descriptor_ < 0) {
        const QByteArray path = QFile::encodeName(path_);
        descriptor_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (descriptor_ < 0) {
        state_ = State::kUnavailable;
    } else if (::flock(descriptor_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::kHeld;
    } else {
        state_ = errno == EWOULDBLOCK ? State::kHeldElsewhere : State::kUnavailable;
    }
}

bool InstanceLock::Announce(const std::string& channel) {
    if (state_ != State::kHeld || ::ftruncate(descriptor_, 0) != 0) return false;
    const std::string line = channel + kAnnouncementEnd;
    return ::pwrite(descriptor_, line.data(), line.size(), 0) == static_cast<ssize_t>(line.size());
}

#else

void InstanceLock::Take() {
    if (!lock_file_) {
        lock_file_ = std::make_unique<QLockFile>(path_);
        lock_file_->setStaleLockTime(std::chrono::milliseconds(0));
    }
    if (lock_file_->tryLock(0)) {
        state_ = State::kHeld;
    } else {
        state_ = lock_file_->error() == QLockFile::LockFailedError ? State::kHeldElsewhere
                                                                   : State::kUnavailable;
    }
}

bool InstanceLock::Announce(const std::string& channel) {
    // QLockFile keeps its own file: the channel goes beside it.
    if (state_ != State::kHeld) return false;
    QFile file(path_ + QStringLiteral(".channel"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const std::string line = channel + kAnnouncementEnd;
    return file.write(line.data(), static_cast<qint64>(line.size())) ==
           static_cast<qint64>(line.size());
}

#endif

std::string InstanceLock::RunningChannel() const {
#ifdef Q_OS_UNIX
    QFile file(path_);
#else
    QFile file(path_ + QStringLiteral(".channel"));
#endif
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.read(kMostAnnouncementBytes);
    const qsizetype end = bytes.indexOf(kAnnouncementEnd);
    if (end <= 0) return {};
    return bytes.first(end).toStdString();
}

} // namespace tarnwick::qt
