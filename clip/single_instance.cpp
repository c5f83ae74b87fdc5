#include "single_instance.h"

#include "qt/local_channel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#include <cstdio>
#include <utility>

namespace tarnwick::clip {
namespace {

using State = qt::InstanceLock::State;

const QByteArray kExitRequest = "Exit\n";
constexpr int kConnectMs = 200;
constexpr qint64 kRequestBufferBytes = 64;

// Beside the program's own lock and channel, so that the program and its
// watcher agree on the folder, and with it on one watcher per program.
QString Folder() { return qt::LocalChannel::SocketFolder(); }

QString ControlName() {
    return QDir(Folder()).filePath(
        QStringLiteral("tarnwick-clip-%1.control").arg(qt::UserIdText()));
}

// Asks the watcher that holds the lock to end and waits until it has gone.
void AskToEnd(const QDeadlineTimer& deadline) {
    QLocalSocket control;
    control.connectToServer(ControlName());
    if (!control.waitForConnected(kConnectMs)) {
        // Between taking the lock and listening, or gone already.
        QThread::msleep(50);
        return;
    }
    control.write(kExitRequest);
    control.waitForBytesWritten(kConnectMs);
    if (control.state() != QLocalSocket::UnconnectedState) {
        control.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
    }
}

// Asks the holder of `lock` to end until the lock is ours; false when it is
// still held elsewhere at the deadline, or cannot be had at all.
bool WaitForLock(qt::InstanceLock& lock, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    while (lock.state() == State::kHeldElsewhere && !deadline.hasExpired()) {
        AskToEnd(deadline);
        lock.TryAgain();
    }
    if (lock.state() == State::kUnavailable) {
        std::fputs("tarnwick-clip: no lock file can be had in the runtime folder\n", stderr);
    }
    return lock.state() == State::kHeld;
}

} // namespace

SingleInstance::SingleInstance(std::function<void()> on_exit_asked)
    : on_exit_asked_(std::move(on_exit_asked)), lock_(Folder(), qt::kWatcherLockName) {
    control_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&control_, &QLocalServer::newConnection, &control_, [this] { Accept(); });
}

bool SingleInstance::TakeOver(std::chrono::milliseconds timeout) {
    if (!WaitForLock(lock_, timeout)) return false;
    // The lock is ours, so a control socket left under the name is stale.
    QLocalServer::removeServer(ControlName());
    return control_.listen(ControlName());
}

bool SingleInstance::EndRunning(std::chrono::milliseconds timeout) {
    // Held only for the check: it goes when this returns.
    qt::InstanceLock probe(Folder(), qt::kWatcherLockName);
    return WaitForLock(probe, timeout);
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = control_.nextPendingConnection()) {
        socket->setReadBufferSize(kRequestBufferBytes);
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [this, socket] { Read(*socket); });
    }
}

void SingleInstance::Read(QLocalSocket& socket) {
    while (socket.canReadLine()) {
        if (socket.readLine() == kExitRequest && on_exit_asked_) on_exit_asked_();
    }
    // A line that never ends is no request.
    if (socket.bytesAvailable() >= kRequestBufferBytes) socket.abort();
}

} // namespace tarnwick::clip
