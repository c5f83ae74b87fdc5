#include "qt/local_channel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
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

QString ChannelPrefix() { return QStringLiteral("tarnwick-channel-%1-").arg(UserIdText()); }

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

QString UserIdText() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
    return user.isEmpty() ? QStringLiteral("user") : user;
#endif
}

bool IsLaunchText(QByteArrayView text) {
    if (text.isEmpty() || text.size() > kMaxMessageBytes - qsizetype(sizeof kLaunchText)) {
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError()) return false;
    for (const QChar c : decoded) {
        if (c.category() == QChar::Other_Control) return false;
    }
    return true;
}

std::vector<QByteArray> MessageFramer::Append(QByteArrayView bytes) {
    std::vector<QByteArray> messages;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf(kMessageEnd);
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        if (!skipping_) {
            pending_.append(piece);
            if (pending_.size() > most_) {
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

LocalChannel::LocalChannel(AddressHandler on_address, LaunchHandlers on_launch,
                           BrowserHandlers on_browser)
    : on_address_(std::move(on_address)),
      on_launch_(std::move(on_launch)),
      on_browser_(std::move(on_browser)) {
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
        Peer peer;
        peer.framer.AllowUpTo(kMaxBrowserMessageBytes);
        peers_.emplace(socket, std::move(peer));
        QObject::connect(socket, &QLocalSocket::readyRead, &server_,
                         [this, socket] { Read(socket); });
        QObject::connect(socket, &QLocalSocket::disconnected, &server_,
                         [this, socket] { Forget(socket); });
        // Bytes that came with the connection.
        Read(socket);
    }
}

void LocalChannel::Read(QLocalSocket* socket) {
    // Bytes that come while a handler runs the event loop raise no second
    // readyRead on this socket; they are read here once it returns.
    for (;;) {
        const auto peer = peers_.find(socket);
        if (peer == peers_.end() || socket->bytesAvailable() <= 0) return;
        for (const QByteArray& message : peer->second.framer.Append(socket->readAll())) {
            Take(socket, peer->second, message);
        }
        Deliver();
    }
}

void LocalChannel::Take(QLocalSocket* socket, Peer& peer, const QByteArray& message) {
    // Only the browser's host may send long lines; the framer let them all
    // come whole, as it cannot know whose the lines after a greeting are.
    if (peer.kind != Peer::Kind::kBrowser && message.size() > kMaxMessageBytes) return;
    if (peer.kind == Peer::Kind::kUnknown) {
        // The first message tells whose connection it is.
        if (message == kLaunchGreeting) {
            peer.kind = Peer::Kind::kLaunch;
            return;
        }
        if (message == kBrowserGreeting) {
            peer.kind = Peer::Kind::kBrowser;
            return;
        }
        peer.kind = Peer::Kind::kWatcher;
    }
    if (peer.kind == Peer::Kind::kLaunch) return TakeFromLaunch(socket, message);
    if (peer.kind == Peer::Kind::kBrowser) return TakeFromBrowser(socket, message);
    if (!IsChannelAddress(message) || queued_watcher_addresses_ >= kMaxQueuedAddresses) return;
    ++queued_watcher_addresses_;
    queued_.push_back({Delivery::Kind::kWatcherAddress, message.toStdString(), nullptr});
}

void LocalChannel::TakeFromLaunch(QLocalSocket* socket, const QByteArray& message) {
    if (message == kLaunchShow) {
        queued_.push_back({Delivery::Kind::kLaunchShow, {}, socket});
        return;
    }
    if (!message.startsWith(kLaunchText)) return;
    const QByteArray text = message.sliced(qsizetype(sizeof kLaunchText) - 1);
    if (IsLaunchText(text))
        queued_.push_back({Delivery::Kind::kLaunchText, text.toStdString(), nullptr});
}

void LocalChannel::TakeFromBrowser(QLocalSocket* socket, const QByteArray& message) {
    if (message == kBrowserEnd) {
        queued_.push_back({Delivery::Kind::kBrowserEnd, {}, socket});
    } else if (message.startsWith(kBrowserItem)) {
        const QByteArray item = message.sliced(qsizetype(sizeof kBrowserItem) - 1);
        queued_.push_back({Delivery::Kind::kBrowserItem, item.toStdString(), socket});
    }
}

void LocalChannel::Forget(QLocalSocket* socket) {
    // Finished messages that came just before the end still count; an
    // unfinished one goes with its connection.
    Read(socket);
    peers_.erase(socket);
    socket->deleteLater();
}

void LocalChannel::Deliver() {
    // A handler that lets the event loop run may read more; those messages
    // wait their turn here instead of overtaking the ones before them.
    if (delivering_) return;
    delivering_ = true;
    while (!queued_.empty()) {
        const Delivery delivery = std::move(queued_.front());
        queued_.pop_front();
        if (delivery.kind == Delivery::Kind::kWatcherAddress) --queued_watcher_addresses_;
        try {
            Hand(delivery);
        } catch (...) {
            // A failing handler loses that message only.
        }
    }
    delivering_ = false;
}

void LocalChannel::Answer(const QPointer<QLocalSocket>& to, const QByteArray& line) {
    if (!to) return;
    // An answer is one line: an LF inside would pass for the next answer.
    QByteArray written = line;
    written.replace(kMessageEnd, ' ');
    to->write(written + kMessageEnd);
    to->flush();
}

void LocalChannel::Hand(const Delivery& delivery) {
    switch (delivery.kind) {
        case Delivery::Kind::kWatcherAddress:
            if (on_address_) on_address_(delivery.text);
            break;
        case Delivery::Kind::kLaunchText:
            if (on_launch_.on_text) on_launch_.on_text(delivery.text);
            break;
        case Delivery::Kind::kBrowserItem: {
            // Every item is answered, also where no one takes items.
            std::string answer = on_browser_.on_item
                                     ? on_browser_.on_item(delivery.text)
                                     : std::string("refused Tarnwick takes no items now");
            Answer(delivery.from, QByteArray::fromStdString(answer));
            break;
        }
        case Delivery::Kind::kBrowserEnd:
            if (on_browser_.on_end) on_browser_.on_end();
            Answer(delivery.from, kLaunchDone);
            break;
        case Delivery::Kind::kLaunchShow:
            if (on_launch_.on_show) on_launch_.on_show();
            // Everything the launch sent before is handled: it may end.
            Answer(delivery.from, kLaunchDone);
            break;
    }
}

bool HandOverLaunch(const QString& channel, const std::vector<std::string>& texts, int timeout_ms) {
    const QDeadlineTimer deadline(timeout_ms);
    QLocalSocket socket;
    socket.connectToServer(channel);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) return false;
    QByteArray bytes = QByteArray(kLaunchGreeting) + kMessageEnd;
    for (const std::string& text : texts) {
        const QByteArray line(text.data(), static_cast<qsizetype>(text.size()));
        if (IsLaunchText(line)) bytes += kLaunchText + line + kMessageEnd;
    }
    bytes += QByteArray(kLaunchShow) + kMessageEnd;
    socket.write(bytes);
    QByteArray answer;
    while (!answer.contains(kMessageEnd)) {
        if (socket.bytesToWrite() > 0) {
            socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
        } else if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
        answer += socket.readAll();
        if (deadline.hasExpired()) return false;
    }
    return answer == QByteArray(kLaunchDone) + kMessageEnd;
}

std::optional<std::vector<std::string>> HandOverBrowserItems(const QString& channel,
                                                             const std::vector<std::string>& items,
                                                             int timeout_ms) {
    const QDeadlineTimer deadline(timeout_ms);
    QLocalSocket socket;
    socket.connectToServer(channel);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) return std::nullopt;
    QByteArray bytes = QByteArray(kBrowserGreeting) + kMessageEnd;
    for (const std::string& item : items) {
        bytes += kBrowserItem + QByteArray::fromStdString(item) + kMessageEnd;
    }
    bytes += QByteArray(kBrowserEnd) + kMessageEnd;
    socket.write(bytes);
    MessageFramer framer;
    framer.AllowUpTo(kMaxBrowserMessageBytes);
    std::vector<std::string> answers;
    for (;;) {
        if (socket.bytesToWrite() > 0) {
            socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
        } else if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return std::nullopt;
        }
        for (const QByteArray& line : framer.Append(socket.readAll())) {
            if (line == kLaunchDone) {
                if (answers.size() != items.size()) return std::nullopt;
                return answers;
            }
            answers.push_back(line.toStdString());
        }
        if (deadline.hasExpired()) return std::nullopt;
    }
}

} // namespace tarnwick::qt
