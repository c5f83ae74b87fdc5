// The delivery channel from the clipboard watcher: a local socket server that
// only the current user can reach. Its name is the address the watcher is
// started with.
//
// A message is one web address followed by LF. What arrives is treated as
// hostile: a message longer than kMaxMessageBytes is dropped together with the
// rest of its bytes up to the next LF; a message that is not a single http or
// https address is dropped; bytes split across reads are put together again,
// and an unfinished message is never delivered. Accepted addresses reach the
// handler one at a time, in the order they arrived, also when the handler
// lets the event loop run.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocalServer>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QLocalSocket;

namespace tarnwick::qt {

inline constexpr qsizetype kMaxMessageBytes = 8 * 1024;
inline constexpr char kMessageEnd = '\n';

// Whether `message` (without its LF) is one http or https address with a
// host: valid UTF-8, at most kMaxMessageBytes, without blanks, control or
// format characters.
bool IsChannelAddress(QByteArrayView message);

// Cuts a byte stream into LF-ended messages, dropping those that grow past
// kMaxMessageBytes.
class MessageFramer {
public:
    // The messages (without their LF) that `bytes` completes.
    std::vector<QByteArray> Append(QByteArrayView bytes);

private:
    QByteArray pending_;
    bool skipping_ = false;
};

class LocalChannel {
public:
    // Addresses waiting for the handler beyond this are dropped.
    static constexpr size_t kMaxQueuedAddresses = 100;
    using AddressHandler = std::function<void(const std::string& address)>;

    explicit LocalChannel(AddressHandler on_address);
    ~LocalChannel();
    LocalChannel(const LocalChannel&) = delete;
    LocalChannel& operator=(const LocalChannel&) = delete;

    // Listens under `name` (a name or a full socket path), replacing a socket
    // file left behind under it. False when the server could not listen.
    bool Listen(const QString& name = PerUserName());
    // The name the watcher connects to; empty while not listening.
    std::string Address() const;

    // A socket path of this user and this process, so that two users or two
    // running programs never share a channel: in the user's runtime folder
    // (XDG_RUNTIME_DIR) when there is one, else in the temporary folder.
    static QString PerUserName();
    static QString SocketFolder();
    // Removes the channel sockets of this user in `folder` that nothing
    // listens on any more (their program was killed); answers how many.
    static int RemoveStaleChannels(const QString& folder = SocketFolder());

private:
    void Accept();
    void Read(QLocalSocket* socket);
    void Forget(QLocalSocket* socket);
    void Deliver();

    AddressHandler on_address_;
    QLocalServer server_;
    std::map<QLocalSocket*, MessageFramer> framers_;
    std::deque<std::string> queued_;
    bool delivering_ = false;
};

} // namespace tarnwick::qt
