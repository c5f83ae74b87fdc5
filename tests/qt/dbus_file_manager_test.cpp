// The file manager asked over a bus of the test's own, a dbus-daemon that
// starts no services: where a file manager answers, it shows the file; where
// none does, or no bus is there, the folder opens through the desktop's
// launcher, which the test records, and the launcher's answer is the answer.
#include "qt/dbus_file_manager.h"

#include "fakes/fake_shell_launch.h"
#include "support/play_until.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::qt {

namespace {

using test_support::PlayUntil;

// org.freedesktop.FileManager1 as file managers offer it, recording the
// arguments of each ShowItems.
class FakeFileManagerObject : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QStringLiteral("ShowItems")) return false;
        calls.push_back(message.arguments());
        connection.send(message.createReply());
        return true;
    }
    std::vector<QVariantList> calls;
};

class DBusFileManagerTest : public testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) GTEST_SKIP() << "no dbus-daemon on this machine";
        const std::string config = folder.File("bus.conf");
        test_support::WriteWholeFile(
            config,
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
            "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">"
            "<busconfig><type>session</type><listen>unix:dir=" +
                folder.Path().string() +
                "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                "<allow own=\"*\"/></policy></busconfig>");
        bus.start(daemon, {QStringLiteral("--config-file=") + QString::fromStdString(config),
                           QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        ASSERT_TRUE(PlayUntil([&] {
            return bus.canReadLine() || bus.state() == QProcess::NotRunning;
        })) << "the bus never told its address";
        address = QString::fromUtf8(bus.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty()) << bus.readAllStandardError().toStdString();
        test_support::WriteWholeFile(folder.File("clip one.mp4"), "video");
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
        bus.kill();
        bus.waitForFinished();
    }
    // Offers a file manager on the bus.
    void OfferFileManager() {
        QDBusConnection connection =
            QDBusConnection::connectToBus(address, QStringLiteral("file-manager"));
        ASSERT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        ASSERT_TRUE(connection.registerVirtualObject(
            QStringLiteral("/org/freedesktop/FileManager1"), &file_manager));
    }
    // Shows the file and waits for the answer.
    std::optional<platform::Opened> Show(const QString& bus_address) {
        DBusFileManager manager(folders, bus_address);
        std::optional<platform::Opened> shown;
        manager.ShowInFolder(folder.File("clip one.mp4"),
                             [&](platform::Opened answer) { shown = answer; });
        PlayUntil([&] { return shown.has_value(); });
        return shown;
    }

    test_support::TempFolder folder;
    QProcess bus;
    QString address;
    FakeFileManagerObject file_manager;
    fakes::FakeShellLaunch folders;
};

TEST_F(DBusFileManagerTest, AFileManagerOnTheBusShowsTheFile) {
    OfferFileManager();
    EXPECT_EQ(Show(address), platform::Opened::kYes);
    ASSERT_EQ(file_manager.calls.size(), 1u);
    const QVariantList& arguments = file_manager.calls[0];
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments[0].toStringList(),
              QStringList{QUrl::fromLocalFile(QString::fromStdString(folder.File("clip one.mp4")))
                              .toString(QUrl::FullyEncoded)});
    EXPECT_TRUE(folders.opened.empty());
}

TEST_F(DBusFileManagerTest, WithoutAFileManagerOrABusTheFolderOpensAndItsEndIsTheAnswer) {
    EXPECT_EQ(Show(address), platform::Opened::kYes);
    folders.handler_exists = false;
    folders.refusal = platform::Opened::kNoProgram;
    EXPECT_EQ(
        Show(QStringLiteral("unix:path=") + QString::fromStdString(folder.File("no such bus"))),
        platform::Opened::kNoProgram);
    EXPECT_EQ(folders.opened,
              (std::vector<std::string>{folder.Path().string(), folder.Path().string()}));
    EXPECT_TRUE(file_manager.calls.empty());
}

} // namespace
} // namespace tarnwick::qt
