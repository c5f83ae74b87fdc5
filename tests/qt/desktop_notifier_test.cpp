// The channel a notification takes: the notification service on the session
// bus where there is one, the tray's message where the bus or the service is
// missing. The bus is a dbus-daemon of the test's own, the service a fake
// that the test answers for.
#include "qt/desktop_notifier.h"

#include "support/run_events.h"
#include "support/temp_folder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tarnwick::qt {
namespace {

constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";

// A session bus of the test's own, with no services it could start.
class PrivateBus {
public:
    PrivateBus() {
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty()) return;
        const std::string config = folder_.File("bus.conf");
        test_support::WriteWholeFile(
            config, "<busconfig><type>session</type><listen>unix:path=" + folder_.File("bus") +
                        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                        "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                        "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                        "</policy></busconfig>");
        daemon_.start(program, {"--config-file=" + QString::fromStdString(config), "--nofork",
                                "--print-address"});
        if (!daemon_.waitForReadyRead(10000)) return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished();
    }
    bool Runs() const { return !address_.isEmpty(); }
    QDBusConnection Connect(const QString& name) {
        names_.push_back(name);
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    test_support::TempFolder folder_;
    QProcess daemon_;
    QString address_;
    std::vector<QString> names_;
};

// Answers Notify with the next id and keeps the call's arguments.
class FakeNotificationService : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Notify") return false;
        calls.push_back(message.arguments());
        connection.send(
            message.createReply(QVariant::fromValue(static_cast<uint>(40 + calls.size()))));
        return true;
    }
    std::vector<QList<QVariant>> calls;
};

struct TrayMessages {
    DesktopNotifier::TrayMessage Show() {
        return [this](const QString& title, const QString& text, std::function<void()> on_click) {
            shown.push_back(title + " / " + text);
            click = std::move(on_click);
            return true;
        };
    }
    std::vector<QString> shown;
    std::function<void()> click;
};

struct Opened : platform::NotificationListener {
    void OnOpenChosen(uint64_t tag) override { tags.push_back(tag); }
    std::vector<uint64_t> tags;
};

const platform::Notification kComplete{"Download complete", "a&b.mp4", 7};

TEST(DesktopNotifierTest, TheServiceWhereThereIsOneAndTheTraysMessageWhereNot) {
    // No session bus at all: the tray, at once.
    TrayMessages tray;
    Opened opened;
    {
        DesktopNotifier notifier(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"),
                                 tray.Show());
        notifier.SetListener(&opened);
        notifier.Notify(kComplete);
        ASSERT_EQ(tray.shown, std::vector<QString>{"Download complete / a&b.mp4"});
        tray.click();
        EXPECT_EQ(opened.tags, std::vector<uint64_t>{7}) << "a click on the message opens";
    }
    QDBusConnection::disconnectFromBus("none");

    PrivateBus bus;
    if (!bus.Runs()) GTEST_SKIP() << "no dbus-daemon could be started here";

    // A bus without the service: the tray, once the bus has said so.
    tray.shown.clear();
    DesktopNotifier without(bus.Connect("program-1"), tray.Show());
    without.Notify({"Download failed", "x.mp4\nThe disk is full"});
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return !tray.shown.empty(); }));
    EXPECT_EQ(tray.shown, std::vector<QString>{"Download failed / x.mp4\nThe disk is full"});

    // The service: it gets the notification with "Open", and its action opens.
    QDBusConnection service_bus = bus.Connect("service");
    FakeNotificationService service;
    ASSERT_TRUE(service_bus.registerVirtualObject(kPath, &service));
    ASSERT_TRUE(service_bus.registerService(kInterface));
    tray.shown.clear();
    opened.tags.clear();
    DesktopNotifier notifier(bus.Connect("program-2"), tray.Show());
    notifier.SetListener(&opened);
    notifier.Notify(kComplete);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return !service.calls.empty(); }));
    const QList<QVariant>& call = service.calls[0];
    ASSERT_EQ(call.size(), 8);
    EXPECT_EQ(call[3].toString(), "Download complete");
    EXPECT_EQ(call[4].toString(), "a&amp;b.mp4") << "no markup read into the name";
    EXPECT_EQ(call[5].toStringList(), (QStringList{"default", "Open", "open", "Open"}));
    // Once the service's answer is in, its action on that id opens.
    QDBusMessage invoked = QDBusMessage::createSignal(kPath, kInterface, "ActionInvoked");
    invoked << uint{41} << QString("open");
    ASSERT_TRUE(test_support::RunEventsUntil([&] {
        service_bus.send(invoked);
        return !opened.tags.empty();
    }));
    EXPECT_EQ(opened.tags.front(), 7u);
    EXPECT_TRUE(tray.shown.empty());
    service_bus.unregisterObject(kPath);
}

} // namespace
} // namespace tarnwick::qt
