// Watches the clipboard of a Wayland session through wl-paste's watch mode,
// which needs no window and no focus where the compositor offers the
// data-control protocol. wl-paste starts this program with --frame for each
// new clipboard text; the frame comes back through wl-paste's output, ended
// by a NUL byte.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <functional>
#include <optional>

namespace tarnwick::clip {

// The argument that has this program frame its input for the watch.
inline constexpr const char* kFrameArgument = "--frame";

// Whether to watch through wl-paste: in a Wayland session, with wl-paste
// installed, unless the environment asks for the desktop's own clipboard.
bool WantsWaylandWatch();

// The --frame mode: copies standard input to standard output, followed by a
// NUL byte; an input of more than 1 MiB, or one holding a NUL byte, is left
// out, so that its frame is empty.
int FrameStandardInput();

class WaylandWatch {
public:
    using AddressHandler = std::function<void(const QByteArray& address)>;

    // `on_ended` runs when wl-paste ends: the compositor cannot be watched
    // this way, or the session is gone.
    WaylandWatch(AddressHandler on_address, std::function<void()> on_ended);
    ~WaylandWatch();
    WaylandWatch(const WaylandWatch&) = delete;
    WaylandWatch& operator=(const WaylandWatch&) = delete;

    // Starts wl-paste; false when it cannot be started. What is on the
    // clipboard already is never handed on, only what is copied later.
    bool Start();

private:
    void Read();

    AddressHandler on_address_;
    std::function<void()> on_ended_;
    QProcess process_;
    QByteArray pending_;
    // The text the clipboard held at the start, to be passed over once.
    std::optional<QByteArray> initial_;
};

} // namespace tarnwick::clip
