// tarnwick-clip, the clipboard watcher. Started with the delivery channel's
// name, it sends each web address copied to the clipboard over that channel
// until the channel goes away or another start asks it to end. Started with
// "Exit", it ends the running watcher of this user.
#include "channel_sender.h"
#include "clipboard_watch.h"
#include "single_instance.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

#include <chrono>
#include <cstdio>

namespace {

constexpr std::chrono::milliseconds kConnectTimeout{5000};

int EndRunningWatcher(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarnwick::clip::SingleInstance::EndRunning(tarnwick::clip::kInstanceTimeout) ? 0 : 1;
}

int Watch(int argc, char** argv, const QString& channel) {
    using namespace tarnwick::clip;
    QGuiApplication app(argc, argv);
    const auto quit = [] { QCoreApplication::quit(); };
    SingleInstance instance(quit);
    if (!instance.TakeOver(kInstanceTimeout)) {
        std::fputs("tarnwick-clip: the running watcher did not end\n", stderr);
        return 1;
    }
    ChannelSender sender(channel, quit);
    // Watching before connecting: once the channel sees the watcher, every
    // copy from then on is sent.
    ClipboardWatch watch(*QGuiApplication::clipboard(),
                         [&sender](const QByteArray& address) { sender.Send(address); });
    if (!sender.Connect(kConnectTimeout)) {
        std::fputs("tarnwick-clip: the channel cannot be reached\n", stderr);
        return 1;
    }
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fputs("usage: tarnwick-clip CHANNEL | Exit\n", stderr);
        return 2;
    }
    const QString argument = QString::fromLocal8Bit(argv[1]);
    if (argument == QLatin1String("Exit")) return EndRunningWatcher(argc, argv);
    return Watch(argc, argv, argument);
}
