#include "single_instance.h"

#include "qt/local_channel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#include <utility>

namespace tarnwick::clip {
namespace {

const QByteArray kExitRequest = "Exit\n";
constexpr int kConnectMs = 200;
constexpr qint64 kRequestBufferBytes = 64;

// Beside the program's own lock and channel, so that the program and its
// watcher agree on the folder, and with it on one watcher per program.
QString RuntimePath(const QString& name) {
    return QDir(tarnwick::qt::LocalChannel::SocketFolder()).filePath(name);
}

QString LockPath() {
    return RuntimePath(QStringLiteral("tarnwick-clip-%1.lock").arg(tarnwick::qt::UserIdText()));
}
QString ControlName() {
    return RuntimePath(QStringLiteral("tarnwick-clip-%1.control").arg(tarnwick::qt::UserIdText()));
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

// Takes the lock at once; a lock left by a watcher that died counts as free.
bool TryLock(QLockFile& lock) {
    lock.setStaleLockTime(std::chrono::milliseconds(0));
    return lock.tryLock(0);
}

} // namespace

SingleInstance::SingleInstance(std::function<void()> on_exit_asked)
    : on_exit_asked_(std::move(on_exit_asked)), lock_(LockPath()) {
    control_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&control_, &QLocalServer::newConnection, &control_, [this] { Accept(); });
}

bool SingleInstance::TakeOver(std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    while (!TryLock(lock_)) {
        if (deadline.hasExpired()) return false;
        AskToEnd(deadline);
    }
    // The lock is ours, so a control socket left under the name is stale.
    QLocalServer::removeServer(ControlName());
    return control_.listen(ControlName());
}

bool SingleInstance::EndRunning(std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    QLockFile probe(LockPath());
    while (!TryLock(probe)) {
        if (deadline.hasExpired()) return false;
        AskToEnd(deadline);
    }
    probe.unlock();
    return true;
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
