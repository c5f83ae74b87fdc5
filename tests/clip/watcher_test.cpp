// The real watcher program on a virtual X display of the test's own: copies
// made with xclip arrive over a channel that the test listens on.
#include "qt/local_channel.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWaitMs = 10000;
const QByteArray kVideoPage = "https://www.youtube.com/watch?v=e2e";
const QByteArray kOtherPage = "http://www.dailymotion.com/video/x9";

bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitMs); }

// An X server on a display number that the server picks free itself.
class VirtualDisplay {
public:
    ~VirtualDisplay() {
        server_.kill();
        server_.waitForFinished(kWaitMs);
    }

    bool Start() {
        server_.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0",
                               "640x480x24"});
        if (!server_.waitForStarted(kWaitMs)) return false;
        QByteArray number;
        const bool told = WaitUntil([&] {
            number += server_.readAllStandardOutput();
            return number.endsWith('\n');
        });
        name_ = ":" + QString::fromLatin1(number.trimmed());
        return told;
    }
    const QString& Name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

class WatcherTest : public testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("xclip").isEmpty()) {
            GTEST_SKIP() << "needs Xvfb and xclip";
        }
        ASSERT_TRUE(display.Start());
        ASSERT_TRUE(runtime.isValid());
        QObject::connect(&channel, &QLocalServer::newConnection, [this] { Accept(); });
        ASSERT_TRUE(channel.listen(runtime.filePath("channel")));
    }

    void TearDown() override {
        for (const auto& process : processes) {
            process->kill();
            process->waitForFinished(kWaitMs);
        }
    }

    void Accept() {
        while (QLocalSocket* socket = channel.nextPendingConnection()) {
            ++connections;
            QObject::connect(socket, &QLocalSocket::readyRead,
                             [this, socket] { received += socket->readAll(); });
        }
    }

    // The watcher's and xclip's world: the test's display, and a runtime
    // folder of its own so that no watcher of the user is touched.
    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display.Name());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        environment.remove("XAUTHORITY");
        environment.remove("WAYLAND_DISPLAY");
        // Leak checks of sanitizer builds know what the watcher's libraries keep.
        environment.insert("LSAN_OPTIONS",
                           QStringLiteral("suppressions=") + TARNWICK_CLIP_LSAN_SUPPRESSIONS);
        return environment;
    }

    QProcess& Start(const QString& program, const QStringList& arguments) {
        processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *processes.back();
        process.setProcessEnvironment(Environment());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted(kWaitMs)) << program.toStdString();
        return process;
    }
    QProcess& StartWatcher(const QString& argument) {
        return Start(TARNWICK_CLIP_PROGRAM, {argument});
    }
    QProcess& StartConnectedWatcher() {
        const int before = connections;
        QProcess& watcher = StartWatcher(channel.fullServerName());
        EXPECT_TRUE(WaitUntil([&] { return connections > before; })) << "the watcher connects";
        return watcher;
    }

    // Puts `text` on the clipboard. xclip stays in the foreground and says
    // when it waits for a second request, that is once the watcher has read
    // the text, so that each copy is seen on its own.
    bool Copy(const QByteArray& text, int timeout_ms = kWaitMs) {
        QProcess& xclip = Start("xclip", {"-selection", "clipboard", "-quiet"});
        xclip.write(text);
        xclip.closeWriteChannel();
        QByteArray said;
        return QTest::qWaitFor(
            [&] {
                said += xclip.readAll();
                return said.contains("request number 2");
            },
            timeout_ms);
    }
    bool WaitForLines(int count) {
        return WaitUntil([&] { return received.count('\n') >= count; });
    }
    static std::string Output(QProcess& process) { return process.readAll().toStdString(); }
    static bool Ends(QProcess& process) {
        return process.state() == QProcess::NotRunning || process.waitForFinished(kWaitMs);
    }

    VirtualDisplay display;
    QTemporaryDir runtime;
    QLocalServer channel;
    int connections = 0;
    QByteArray received;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(WatcherTest, SendsEachCopiedAddressAndDropsTheRest) {
    StartConnectedWatcher();
    ASSERT_TRUE(Copy("just some words"));
    ASSERT_TRUE(Copy("http://example.com/" + QByteArray(9000, 'a')));
    ASSERT_TRUE(Copy("ftp://example.com/video"));
    ASSERT_TRUE(Copy("https://news.example.org/story/42"));
    ASSERT_TRUE(Copy("  " + kVideoPage + "\n"));
    ASSERT_TRUE(WaitForLines(1));
    ASSERT_TRUE(Copy(kOtherPage));
    ASSERT_TRUE(WaitForLines(2));
    ASSERT_TRUE(Copy("cdn.example.org/films/a.MP4"));
    ASSERT_TRUE(WaitForLines(3));
    EXPECT_EQ(received, kVideoPage + "\n" + kOtherPage + "\nhttp://cdn.example.org/films/a.MP4\n");
    // A copy of several lines: each that would be taken alone.
    received.clear();
    ASSERT_TRUE(Copy(kOtherPage + "\r\nsome words\n" + kVideoPage + "\n"));
    ASSERT_TRUE(WaitForLines(2));
    EXPECT_EQ(received, kOtherPage + "\n" + kVideoPage + "\n");
}

TEST_F(WatcherTest, SecondStartTakesOverAndExitEndsIt) {
    QProcess& first = StartConnectedWatcher();
    QProcess& second = StartConnectedWatcher();
    ASSERT_TRUE(Ends(first)) << "one watcher at a time";
    EXPECT_EQ(first.exitCode(), 0) << Output(first);
    ASSERT_TRUE(Copy(kVideoPage));
    ASSERT_TRUE(WaitForLines(1));

    QProcess& exit = StartWatcher("Exit");
    ASSERT_TRUE(Ends(exit));
    EXPECT_EQ(exit.exitCode(), 0) << Output(exit);
    ASSERT_TRUE(Ends(second));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << Output(second);
    EXPECT_EQ(received, kVideoPage + "\n") << "delivered once";
}

TEST_F(WatcherTest, EndsWhenTheChannelGoesAway) {
    QProcess& watcher = StartConnectedWatcher();
    channel.close();
    for (QLocalSocket* socket : channel.findChildren<QLocalSocket*>()) socket->abort();
    ASSERT_TRUE(Ends(watcher));
    EXPECT_EQ(watcher.exitCode(), 0) << Output(watcher);
}

TEST_F(WatcherTest, AddressesReachTheProgramsEndOfTheChannel) {
    std::vector<std::string> delivered;
    tarnwick::qt::LocalChannel program_end(
        [&](const std::string& address) { delivered.push_back(address); });
    ASSERT_TRUE(program_end.Listen(runtime.filePath("program")));
    QProcess& watcher = StartWatcher(QString::fromStdString(program_end.Address()));
    // Copies made before the watcher is connected are not sent; this end of
    // the channel does not tell when it is, so copy until one comes through.
    bool through = false;
    for (int attempt = 0; attempt < 10 && !through; ++attempt) {
        through =
            Copy(kOtherPage, 1000) && QTest::qWaitFor([&] { return !delivered.empty(); }, 1000);
    }
    ASSERT_TRUE(through);
    ASSERT_TRUE(Copy("http://example.com/" + QByteArray(9000, 'a')));
    ASSERT_TRUE(Copy(kVideoPage));
    ASSERT_TRUE(WaitUntil([&] { return delivered.back() == kVideoPage.toStdString(); }));
    delivered.pop_back();
    for (const std::string& before : delivered) EXPECT_EQ(before, kOtherPage.toStdString());
    EXPECT_EQ(watcher.state(), QProcess::Running);
}

TEST_F(WatcherTest, ExitWithNoWatcherRunningEndsAtOnce) {
    QProcess& exit = StartWatcher("Exit");
    ASSERT_TRUE(Ends(exit));
    EXPECT_EQ(exit.exitCode(), 0) << Output(exit);
}

// What the watcher's --frame mode, which wl-paste runs for each copy, gives
// back for `text`.
QByteArray FrameOf(const QByteArray& text) {
    QProcess frame;
    frame.start(TARNWICK_CLIP_PROGRAM, {"--frame"});
    EXPECT_TRUE(frame.waitForStarted(kWaitMs));
    frame.write(text);
    frame.closeWriteChannel();
    EXPECT_TRUE(frame.waitForFinished(kWaitMs));
    EXPECT_EQ(frame.exitCode(), 0);
    return frame.readAllStandardOutput();
}

TEST(WatcherFrameTest, ATextIsFramedWholeOrNotAtAll) {
    EXPECT_EQ(FrameOf(kVideoPage), kVideoPage + '\0');
    EXPECT_EQ(FrameOf(QByteArray("junk\0", 5) + kVideoPage), QByteArray(1, '\0'))
        << "the frame's end inside a text would split it in two";
    EXPECT_EQ(FrameOf(QByteArray(3 * 1024 * 1024, 'x')), QByteArray(1, '\0'));
    EXPECT_EQ(FrameOf(QByteArray(1024 * 1024, 'x')).size(), 1024 * 1024 + 1);
}

} // namespace
