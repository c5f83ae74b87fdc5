#include "qt/local_channel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QUrl>

#include <utility>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace tarnwick::qt {
namespace {

bool IsForbiddenCharacter(QChar c) {
    const QChar::Category category = c.category();
    return c.isSpace() || category == QChar::Other_Control || category == QChar::Other_Format;
}

bool HasWebScheme(const QString& text) {
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString UserId() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
    return user.isEmpty() ? QStringLiteral("user") : user;
#endif
}

QString ChannelPrefix() { return QStringLiteral("tarnwick-channel-%1-").arg(UserId()); }

#ifdef Q_OS_UNIX
// Whether a program listens on the socket at `path`: a refused connect says not.
bool IsListenedTo(const QByteArray& path) {
    sockaddr_un address{};
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path) return true;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    const int connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(fd);
    return connected == 0 || error != ECONNREFUSED;
}
#endif

} // namespace

bool IsChannelAddress(QByteArrayView message) {
    if (message.isEmpty() || message.size() > kMaxMessageBytes) return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(message);
    if (decoder.hasError() || !HasWebScheme(text)) return false;
    for (const QChar c : text) {
        if (IsForbiddenCharacter(c)) return false;
    }
    const QUrl url(text);
    return url.isValid() && !url.host().isEmpty();
}

std::vector<QByteArray> MessageFramer::Append(QByteArrayView bytes) {
    std::vector<QByteArray> messages;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf(kMessageEnd);
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        if (!skipping_) {
            pending_.append(piece);
            if (pending_.size() > kMaxMessageBytes) {
                pending_.clear();
                skipping_ = true;
            }
        }
        if (end < 0) break;
        if (!skipping_) messages.push_back(std::exchange(pending_, QByteArray()));
        skipping_ = false;
        bytes = bytes.sliced(end + 1);
    }
    return messages;
}

LocalChannel::LocalChannel(AddressHandler on_address) : on_address_(std::move(on_address)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { Accept(); });
}

LocalChannel::~LocalChannel() {
    // The connections are the server's children and go with it; their
    // handlers must not run on a channel that is going.
    for (QLocalSocket* socket : server_.findChildren<QLocalSocket*>()) {
        QObject::disconnect(socket, nullptr, &server_, nullptr);
    }
}

QString LocalChannel::SocketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath();
}

QString LocalChannel::PerUserName() {
    return SocketFolder() + '/' + ChannelPrefix() +
           QString::number(QCoreApplication::applicationPid());
}

int LocalChannel::RemoveStaleChannels(const QString& folder) {
    int removed = 0;
#ifdef Q_OS_UNIX
    const QStringList names = QDir(folder).entryList({ChannelPrefix() + '*'}, QDir::System);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(folder + '/' + name);
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0 || !S_ISSOCK(status.st_mode)) continue;
        if (IsListenedTo(path)) continue;
        if (::unlink(path.constData()) == 0) ++removed;
    }
#else
    (void)folder;
#endif
    return removed;
}

bool LocalChannel::Listen(const QString& name) {
    server_.close();
    // A socket file of a process that ended without closing it.
    QLocalServer::removeServer(name);
    return server_.listen(name);
}

std::string LocalChannel::Address() const {
    if (!server_.isListening()) return {};
    const QByteArray name = server_.fullServerName().toUtf8();
    return std::string(name.constData(), static_cast<size_t>(name.size()));
}

void LocalChannel::Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        framers_.emplace(socket, MessageFramer());
        QObject::connect(socket, &QLocalSocket::readyRead, &server_,
                         [this, socket] { Read(socket); });
        QObject::connect(socket, &QLocalSocket::disconnected, &server_,
                         [this, socket] { Forget(socket); });
        // Bytes that came with the connection.
        Read(socket);
    }
}

void LocalChannel::Read(QLocalSocket* socket) {
    // Bytes that come while the handler runs the event loop raise no second
    // readyRead on this socket; they are read here once it returns.
    for (;;) {
        const auto framer = framers_.find(socket);
        if (framer == framers_.end() || socket->bytesAvailable() <= 0) return;
        for (const QByteArray& message : framer->second.Append(socket->readAll())) {
            if (!IsChannelAddress(message) || queued_.size() >= kMaxQueuedAddresses) continue;
            queued_.emplace_back(message.constData(), static_cast<size_t>(message.size()));
        }
        Deliver();
    }
}

void LocalChannel::Forget(QLocalSocket* socket) {
    // Finished messages that came just before the end still count; an
    // unfinished one goes with its connection.
    Read(socket);
    framers_.erase(socket);
    socket->deleteLater();
}

void LocalChannel::Deliver() {
    // A handler that lets the event loop run may read more; those addresses
    // wait their turn here instead of overtaking the ones before them.
    if (delivering_) return;
    delivering_ = true;
    while (!queued_.empty()) {
        const std::string address = std::move(queued_.front());
        queued_.pop_front();
        try {
            if (on_address_) on_address_(address);
        } catch (...) {
            // A failing handler loses that address only.
        }
    }
    delivering_ = false;
}

} // namespace tarnwick::qt
