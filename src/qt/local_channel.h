// The delivery channel of the running program: a local socket server that
// only the current user can reach. Its name is the address the clipboard
// watcher is started with, and the one a later launch of the program finds
// beside the instance lock.
//
// A message is one line, ended by LF. What arrives is treated as hostile: a
// message longer than kMaxMessageBytes is dropped together with the rest of
// its bytes up to the next LF; bytes split across reads are put together
// again, and an unfinished message is never delivered.
//
// A connection that begins with kLaunchGreeting is a later launch: each
// "ADD text" hands over one text of its command line, and "SHOW" asks for
// the window, which the channel answers with kLaunchDone once done. Every
// text of a launch arrives, however many. One that begins with
// kBrowserGreeting is the browser's host: each "ITEM json" hands over one
// item with what the browser knows of it (up to kMaxBrowserMessageBytes) and
// is answered with one line of what became of it; "END" ends the items and
// is answered with kLaunchDone. Any other connection is the watcher's: each message must be a
// single http or https address, and past kMaxQueuedAddresses waiting for the handler the rest are
// dropped, so that a flood of copies cannot grow without end.
//
// Accepted messages reach their handlers one at a time, in the order they
// arrived, also when a handler lets the event loop run.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocalServer>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QLocalSocket;

namespace tarnwick::qt {

inline constexpr qsizetype kMaxMessageBytes = 8 * 1024;
inline constexpr char kMessageEnd = '\n';
// The lines of a later launch, and the running program's answer.
inline constexpr char kLaunchGreeting[] = "TARNWICK LAUNCH 1";
inline constexpr char kLaunchText[] = "ADD ";
inline constexpr char kLaunchShow[] = "SHOW";
inline constexpr char kLaunchDone[] = "DONE";
// The lines of the browser's host.
inline constexpr char kBrowserGreeting[] = "TARNWICK BROWSER 1";
inline constexpr char kBrowserItem[] = "ITEM ";
inline constexpr char kBrowserEnd[] = "END";
// An item's line holds its cookies, up to 64 KiB of them, escaped.
inline constexpr qsizetype kMaxBrowserMessageBytes = 512 * 1024;

// Whether `message` (without its LF) is one http or https address with a
// host: valid UTF-8, at most kMaxMessageBytes, without blanks, control or
// format characters.
bool IsChannelAddress(QByteArrayView message);

// The user's id as names of per-user files carry it: the uid, or on Windows
// the user's name.
QString UserIdText();

// Whether `text` may be handed over as a text of a launch's command line:
// valid UTF-8 without control characters, short enough for one message.
bool IsLaunchText(QByteArrayView text);

// Cuts a byte stream into LF-ended messages, dropping those that grow past
// kMaxMessageBytes.
class MessageFramer {
public:
    // The messages (without their LF) that `bytes` completes.
    std::vector<QByteArray> Append(QByteArrayView bytes);
    // Lets messages from now on grow to `bytes`.
    void AllowUpTo(qsizetype bytes) { most_ = bytes; }

private:
    qsizetype most_ = kMaxMessageBytes;
    QByteArray pending_;
    bool skipping_ = false;
};

class LocalChannel {
public:
    // The watcher's addresses waiting for the handler beyond this are dropped.
    static constexpr size_t kMaxQueuedAddresses = 100;
    using AddressHandler = std::function<void(const std::string& address)>;
    // What a later launch hands over: each text of its command line, then
    // its wish to see the window.
    struct LaunchHandlers {
        std::function<void(const std::string& text)> on_text;
        std::function<void()> on_show;
    };
    // What the browser's host hands over: each item's line, answered with
    // the line the handler returns, then the end of its items.
    struct BrowserHandlers {
        std::function<std::string(const std::string& item)> on_item;
        std::function<void()> on_end;
    };

    explicit LocalChannel(AddressHandler on_address, LaunchHandlers on_launch = {},
                          BrowserHandlers on_browser = {});
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
    // One connection: its framing, and whose it turned out to be.
    struct Peer {
        enum class Kind { kUnknown, kWatcher, kLaunch, kBrowser };
        MessageFramer framer;
        Kind kind = Kind::kUnknown;
    };
    // A message waiting for its handler; `from` answers a launch's SHOW.
    struct Delivery {
        enum class Kind { kWatcherAddress, kLaunchText, kLaunchShow, kBrowserItem, kBrowserEnd };
        Kind kind;
        std::string text;
        QPointer<QLocalSocket> from;
    };

    void Accept();
    void Read(QLocalSocket* socket);
    void Take(QLocalSocket* socket, Peer& peer, const QByteArray& message);
    void TakeFromLaunch(QLocalSocket* socket, const QByteArray& message);
    void TakeFromBrowser(QLocalSocket* socket, const QByteArray& message);
    void Forget(QLocalSocket* socket);
    void Deliver();
    void Hand(const Delivery& delivery);
    static void Answer(const QPointer<QLocalSocket>& to, const QByteArray& line);

    AddressHandler on_address_;
    LaunchHandlers on_launch_;
    BrowserHandlers on_browser_;
    QLocalServer server_;
    std::map<QLocalSocket*, Peer> peers_;
    std::deque<Delivery> queued_;
    size_t queued_watcher_addresses_ = 0;
    bool delivering_ = false;
};

// Hands a launch's command-line texts to the running program at `channel`
// and asks for its window; true once the program answered that it has them
// all. Blocks for at most `timeout_ms`: only for a launch that ends at once.
bool HandOverLaunch(const QString& channel, const std::vector<std::string>& texts, int timeout_ms);

// Hands the browser's items (their channel lines) to the running program at
// `channel`; the program's answer line for each, in order, once it answered
// them all; none when it did not within `timeout_ms`. Blocks: only for the
// browser's host, which has nothing else to do.
std::optional<std::vector<std::string>> HandOverBrowserItems(const QString& channel,
                                                             const std::vector<std::string>& items,
                                                             int timeout_ms);

} // namespace tarnwick::qt
