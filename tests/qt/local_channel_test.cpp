#include "qt/local_channel.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick::qt {
namespace {

const QByteArray kVideoPage = "http://www.youtube.com/watch?v=abc";
const QByteArray kOtherPage = "https://www.dailymotion.com/video/x7";
constexpr int kWaitMs = 5000;

QByteArray Oversized() { return "http://example.com/" + QByteArray(kMaxMessageBytes, 'a'); }

// Address checks.

struct Message {
    const char* name;
    QByteArray bytes;
    bool accepted;
};
void PrintTo(const Message& message, std::ostream* out) { *out << message.name; }

class ChannelAddressTest : public testing::TestWithParam<Message> {};

TEST_P(ChannelAddressTest, AcceptsOnlyOneWebAddress) {
    EXPECT_EQ(IsChannelAddress(GetParam().bytes), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ChannelAddressTest,
    testing::Values(
        Message{"Http", kVideoPage, true},
        Message{"HttpsInCapitals", "HTTPS://Example.com/V", true},
        Message{"Utf8Path", "https://example.com/vid\xc3\xa9o", true},
        Message{"AtTheLimit", "http://e.com/" + QByteArray(kMaxMessageBytes - 13, 'a'), true},
        Message{"OverTheLimit", "http://e.com/" + QByteArray(kMaxMessageBytes - 12, 'a'), false},
        Message{"Empty", "", false}, Message{"OtherScheme", "ftp://example.com/v", false},
        Message{"Script", "javascript:alert(1)", false}, Message{"SchemeOnly", "http://", false},
        Message{"NoHost", "http:///watch", false}, Message{"Words", "copy this", false},
        Message{"TwoAddresses", "http://a.com/1 http://b.com/2", false},
        Message{"Tab", "http://a.com/\t1", false},
        Message{"CarriageReturn", "http://a.com/1\r", false},
        Message{"Nul", QByteArray("http://a.com/\0x", 15), false},
        Message{"Escape", "http://a.com/\x1b[2J", false},
        Message{"InvalidUtf8", "http://a.com/\xff\xfe", false},
        Message{"NoBreakSpace", "http://a.com/\xc2\xa0x", false},
        Message{"DirectionOverride", "http://a.com/\xe2\x80\xaex", false},
        Message{"LineSeparator", "http://a.com/\xe2\x80\xa8x", false}),
    [](const testing::TestParamInfo<Message>& info) { return info.param.name; });

// Framing.

std::vector<QByteArray> Feed(MessageFramer& framer, const std::vector<QByteArray>& reads) {
    std::vector<QByteArray> messages;
    for (const QByteArray& bytes : reads) {
        for (QByteArray& message : framer.Append(bytes)) messages.push_back(std::move(message));
    }
    return messages;
}

TEST(MessageFramerTest, PutsPiecesTogetherAndSplitsAtEachLf) {
    MessageFramer framer;
    std::vector<QByteArray> reads;
    for (const char c : QByteArray("one\ntwo\n\nthr")) reads.push_back(QByteArray(1, c));
    EXPECT_EQ(Feed(framer, reads), (std::vector<QByteArray>{"one", "two", ""}));
    EXPECT_EQ(Feed(framer, {"ee\nfour\nfi"}), (std::vector<QByteArray>{"three", "four"}));
}

TEST(MessageFramerTest, DropsAnOversizedMessageUpToItsLf) {
    MessageFramer framer;
    const QByteArray big(kMaxMessageBytes + 1, 'x');
    EXPECT_EQ(Feed(framer, {big.first(5000), big.sliced(5000), "tail", "\nnext\n"}),
              std::vector<QByteArray>{"next"});
    const QByteArray limit(kMaxMessageBytes, 'y');
    EXPECT_EQ(Feed(framer, {limit.first(10), limit.sliced(10) + "\n"}),
              std::vector<QByteArray>{limit});
}

// The channel over real local sockets.

class LocalChannelTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(channel.Listen(folder.filePath("channel")));
    }

    std::unique_ptr<QLocalSocket> Connect() {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QString::fromStdString(channel.Address()));
        EXPECT_TRUE(socket->waitForConnected(kWaitMs));
        return socket;
    }
    static void Send(QLocalSocket& socket, const QByteArray& bytes) {
        socket.write(bytes);
        EXPECT_TRUE(socket.waitForBytesWritten(kWaitMs));
    }
    bool WaitForDeliveries(size_t count) {
        return QTest::qWaitFor([&] { return delivered.size() >= count; }, kWaitMs);
    }
    // Lets the channel read whatever has been sent; nothing may come of it.
    static void Settle() { QTest::qWait(50); }

    QTemporaryDir folder;
    std::vector<std::string> delivered;
    std::function<void(const std::string&)> on_address = [this](const std::string& address) {
        delivered.push_back(address);
    };
    LocalChannel channel{[this](const std::string& address) { on_address(address); }};
};

TEST_F(LocalChannelTest, OnlyTheUserCanReachTheSocket) {
    const QString path = QString::fromStdString(channel.Address());
    EXPECT_EQ(path, folder.filePath("channel"));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFileInfo(path).permissions() & others, QFileDevice::Permissions());
}

TEST_F(LocalChannelTest, AddressSplitAcrossReadsArrivesWhole) {
    auto socket = Connect();
    Send(*socket, kVideoPage.first(10));
    Settle();
    Send(*socket, kVideoPage.sliced(10));
    Settle();
    EXPECT_TRUE(delivered.empty()) << "no delivery before its LF";
    Send(*socket, "\n");
    ASSERT_TRUE(WaitForDeliveries(1));
    EXPECT_EQ(delivered, std::vector<std::string>{kVideoPage.toStdString()});
}

TEST_F(LocalChannelTest, HostileMessagesAreDroppedAndTheConnectionGoesOn) {
    auto socket = Connect();
    Send(*socket, "not an address\n" + Oversized().first(4000));
    Send(*socket, Oversized().sliced(4000) + "\n\n" + QByteArray("http://a.com/\0", 14) + "\n");
    Send(*socket, kVideoPage + "\n" + kOtherPage + "\n");
    ASSERT_TRUE(WaitForDeliveries(2));
    Settle();
    EXPECT_EQ(delivered,
              (std::vector<std::string>{kVideoPage.toStdString(), kOtherPage.toStdString()}));
}

TEST_F(LocalChannelTest, ConnectionsAreFramedApart) {
    auto first = Connect();
    auto second = Connect();
    Send(*first, kVideoPage.first(12));
    Send(*second, kOtherPage.first(9));
    Settle();
    Send(*second, kOtherPage.sliced(9) + "\n");
    ASSERT_TRUE(WaitForDeliveries(1));
    Send(*first, kVideoPage.sliced(12) + "\n");
    ASSERT_TRUE(WaitForDeliveries(2));
    EXPECT_EQ(delivered,
              (std::vector<std::string>{kOtherPage.toStdString(), kVideoPage.toStdString()}));
}

TEST_F(LocalChannelTest, UnfinishedMessageEndsWithItsConnection) {
    auto socket = Connect();
    Send(*socket, kVideoPage + "\n" + kOtherPage);
    socket->disconnectFromServer();
    socket.reset();
    ASSERT_TRUE(WaitForDeliveries(1));
    Settle();
    EXPECT_EQ(delivered, std::vector<std::string>{kVideoPage.toStdString()});
}

TEST_F(LocalChannelTest, HandlerThatRunsTheEventLoopIsNotOvertaken) {
    auto socket = Connect();
    bool handling = false;
    bool overtaken = false;
    on_address = [&](const std::string& address) {
        overtaken = overtaken || handling;
        delivered.push_back(address);
        if (delivered.size() > 1) return;
        handling = true;
        Send(*socket, kOtherPage + "\n");
        Settle();
        handling = false;
    };
    Send(*socket, kVideoPage + "\n");
    ASSERT_TRUE(WaitForDeliveries(2));
    EXPECT_FALSE(overtaken);
    EXPECT_EQ(delivered,
              (std::vector<std::string>{kVideoPage.toStdString(), kOtherPage.toStdString()}));
}

// Later launches.

class LaunchChannelTest : public LocalChannelTest {
protected:
    LaunchChannelTest() {
        // The first delivery lets the event loop run, as a handler with a box
        // would, so that what follows waits in the channel meanwhile.
        on_address = [this](const std::string& address) {
            delivered.push_back(address);
            if (delivered.size() == 1) Settle();
        };
    }
    static QByteArray Greeting() { return QByteArray(kLaunchGreeting) + "\n"; }
    static std::vector<std::string> Pages(int count) {
        std::vector<std::string> pages;
        for (int i = 0; i < count; ++i) pages.push_back("http://a.com/" + std::to_string(i));
        return pages;
    }
    static QByteArray Lines(const char* prefix, const std::vector<std::string>& texts) {
        QByteArray bytes;
        for (const std::string& text : texts) bytes += prefix + QByteArray(text.c_str()) + "\n";
        return bytes;
    }

    std::vector<std::string> texts;
    int shows = 0;
    LocalChannel launch_channel{[this](const std::string& address) { on_address(address); },
                                {[this](const std::string& text) {
                                     texts.push_back(text);
                                     if (texts.size() == 1) Settle();
                                 },
                                 [this] { ++shows; }}};
};

TEST_F(LaunchChannelTest, EveryTextOfALaunchArrivesInOrderWhileTheWatchersFloodIsCut) {
    ASSERT_TRUE(launch_channel.Listen(folder.filePath("launch")));
    const std::vector<std::string> pages = Pages(250);
    auto watcher = std::make_unique<QLocalSocket>();
    watcher->connectToServer(folder.filePath("launch"));
    ASSERT_TRUE(watcher->waitForConnected(kWaitMs));
    Send(*watcher, Lines("", pages));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return delivered.size() >= LocalChannel::kMaxQueuedAddresses; }, kWaitMs));
    Settle();
    EXPECT_LE(delivered.size(), LocalChannel::kMaxQueuedAddresses + 1);

    auto launch = std::make_unique<QLocalSocket>();
    launch->connectToServer(folder.filePath("launch"));
    ASSERT_TRUE(launch->waitForConnected(kWaitMs));
    Send(*launch, Greeting() + Lines(kLaunchText, pages) + kLaunchShow + "\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return shows == 1; }, kWaitMs));
    EXPECT_EQ(texts, pages);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launch->bytesAvailable() > 0; }, kWaitMs));
    EXPECT_EQ(launch->readAll(), QByteArray(kLaunchDone) + "\n");
}

TEST_F(LaunchChannelTest, ALaunchHandsItsTextsOverAndWaitsForTheAnswer) {
    ASSERT_TRUE(launch_channel.Listen(folder.filePath("launch")));
    bool handed_over = false;
    const std::vector<std::string> sent = {"www.a.com/1", "two words", "bad\x01text", "x"};
    std::thread later(
        [&] { handed_over = HandOverLaunch(folder.filePath("launch"), sent, kWaitMs); });
    const bool shown = QTest::qWaitFor([&] { return shows == 1; }, kWaitMs);
    later.join();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(handed_over);
    EXPECT_EQ(texts, (std::vector<std::string>{"www.a.com/1", "two words", "x"}));
    EXPECT_TRUE(delivered.empty()) << "nothing of a launch goes to the watcher's handler";
}

TEST_F(LaunchChannelTest, ALaunchWithNobodyListeningFails) {
    EXPECT_FALSE(HandOverLaunch(folder.filePath("nobody"), {"http://a.com/"}, 1000));
}

TEST(LocalChannelNameTest, ReplacesALeftOverSocketFileAndNamesTheUserAndProcess) {
    QTemporaryDir folder;
    const QString path = folder.filePath("left-over");
    QFile left_over(path);
    ASSERT_TRUE(left_over.open(QIODevice::WriteOnly));
    left_over.close();
    LocalChannel channel{nullptr};
    EXPECT_TRUE(channel.Address().empty());
    EXPECT_TRUE(channel.Listen(path));
    EXPECT_EQ(channel.Address(), path.toStdString());
    EXPECT_TRUE(LocalChannel::PerUserName().endsWith(
        "-" + QString::number(QCoreApplication::applicationPid())));
}

TEST(LocalChannelNameTest, LivesInTheRuntimeFolderWhenThereIsOne) {
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString name = LocalChannel::PerUserName();
    saved.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_TRUE(name.startsWith(runtime.path() + "/tarnwick-channel-")) << name.toStdString();
}

TEST(LocalChannelNameTest, SocketsOfKilledRunsGoAndLiveOnesStay) {
    QTemporaryDir folder;
    const QString prefix = QStringLiteral("tarnwick-channel-%1-").arg(::getuid());
    // A socket whose program is gone: bound, then left behind.
    const QByteArray stale = QFile::encodeName(folder.filePath(prefix + "111"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, stale.constData(), static_cast<size_t>(stale.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    LocalChannel live{nullptr};
    ASSERT_TRUE(live.Listen(folder.filePath(prefix + "222")));
    QFile other_user(folder.filePath("tarnwick-channel-999999-1"));
    ASSERT_TRUE(other_user.open(QIODevice::WriteOnly));
    other_user.close();

    EXPECT_EQ(LocalChannel::RemoveStaleChannels(folder.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(stale)));
    EXPECT_TRUE(QFileInfo::exists(folder.filePath(prefix + "222")));
    EXPECT_TRUE(QFileInfo::exists(folder.filePath("tarnwick-channel-999999-1")));
}

// The browser's host.

TEST_F(LocalChannelTest, TheBrowsersItemsEachGetTheirAnswerInOrderBeforeTheEnd) {
    std::vector<std::string> items;
    int ends = 0;
    LocalChannel channel{{},
                         {},
                         {[&](const std::string& item) {
                              items.push_back(item);
                              return items.size() == 1 ? std::string("added")
                                                       : std::string("refused two\nlines");
                          },
                          [&] { ++ends; }}};
    ASSERT_TRUE(channel.Listen(folder.filePath("browser")));
    // An item's cookies make a line far longer than a launch's.
    const std::vector<std::string> sent = {"{\"url\":\"http://a.com/\"}",
                                           std::string(300 * 1024, 'c')};
    std::optional<std::vector<std::string>> answers;
    std::thread host(
        [&] { answers = HandOverBrowserItems(folder.filePath("browser"), sent, kWaitMs); });
    const bool ended = QTest::qWaitFor([&] { return ends == 1; }, kWaitMs);
    host.join();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(items == sent) << items.size() << " items";
    ASSERT_TRUE(answers.has_value());
    EXPECT_EQ(*answers, (std::vector<std::string>{"added", "refused two lines"}))
        << "an answer stays one line";
    EXPECT_FALSE(HandOverBrowserItems(folder.filePath("nobody"), sent, 1000).has_value());
}

} // namespace
} // namespace tarnwick::qt
