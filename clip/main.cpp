// tarnwick-clip, the clipboard watcher. Started with the delivery channel's
// name, it sends each video address copied to the clipboard over that channel
// until the channel goes away or another start asks it to end. Started with
// "Exit", it ends the running watcher of this user.
//
// In a Wayland session it watches through wl-paste, which sees copies made in
// any program without a window of its own; where the compositor does not
// allow that, it starts again on the desktop's own clipboard (the X11 one of
// XWayland when there is one).
#include "channel_sender.h"
#include "clipboard_watch.h"
#include "single_instance.h"
#include "wayland_watch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr std::chrono::milliseconds kConnectTimeout{5000};

int EndRunningWatcher(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarnwick::clip::SingleInstance::EndRunning(tarnwick::clip::kInstanceTimeout) ? 0 : 1;
}

// Watching through wl-paste was not possible: this program starts again on the
// desktop's own clipboard, preferring XWayland's, which sees copies without focus.
int WatchTheDesktopClipboardInstead(char** argv) {
    setenv("TARNWICK_CLIP_DESKTOP_CLIPBOARD", "1", 1);
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') setenv("QT_QPA_PLATFORM", "xcb", 1);
    execv("/proc/self/exe", argv);
    std::fputs("tarnwick-clip: cannot start again\n", stderr);
    return 1;
}

// Holds the watcher's place for this user and its channel, with the watch
// that `make_watch` makes (none when it cannot watch), until the event loop
// ends. kCannotWatch when no watch could be made.
constexpr int kCannotWatch = -1;

template <typename MakeWatch>
int Serve(const QString& channel, MakeWatch make_watch) {
    using namespace tarnwick::clip;
    const auto quit = [] { QCoreApplication::quit(); };
    SingleInstance instance(quit);
    if (!instance.TakeOver(kInstanceTimeout)) {
        std::fputs("tarnwick-clip: the running watcher did not end\n", stderr);
        return 1;
    }
    ChannelSender sender(channel, quit);
    // Watching before connecting: once the channel sees the watcher, every
    // copy from then on is sent.
    const auto watch = make_watch([&sender](const QByteArray& address) { sender.Send(address); });
    if (!watch) return kCannotWatch;
    if (!sender.Connect(kConnectTimeout)) {
        std::fputs("tarnwick-clip: the channel cannot be reached\n", stderr);
        return 1;
    }
    return QCoreApplication::exec();
}

int WatchWayland(int argc, char** argv, const QString& channel) {
    using namespace tarnwick::clip;
    bool ended = false;
    int result = 0;
    {
        QCoreApplication app(argc, argv);
        result = Serve(channel, [&ended](WaylandWatch::AddressHandler send) {
            auto watch = std::make_unique<WaylandWatch>(std::move(send), [&ended] {
                ended = true;
                QCoreApplication::quit();
            });
            if (!watch->Start()) watch.reset();
            return watch;
        });
    }
    if (result == kCannotWatch || ended) return WatchTheDesktopClipboardInstead(argv);
    return result;
}

int Watch(int argc, char** argv, const QString& channel) {
    using namespace tarnwick::clip;
    if (WantsWaylandWatch()) return WatchWayland(argc, argv, channel);
    QGuiApplication app(argc, argv);
    return Serve(channel, [](ClipboardWatch::AddressHandler send) {
        return std::make_unique<ClipboardWatch>(*QGuiApplication::clipboard(), std::move(send));
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fputs("usage: tarnwick-clip CHANNEL | Exit\n", stderr);
        return 2;
    }
    const QString argument = QString::fromLocal8Bit(argv[1]);
    if (argument == QLatin1String(tarnwick::clip::kFrameArgument)) {
        return tarnwick::clip::FrameStandardInput();
    }
    if (argument == QLatin1String("Exit")) return EndRunningWatcher(argc, argv);
    return Watch(argc, argv, argument);
}
