#include "wayland_watch.h"

#include "clipboard_watch.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QStringList>

#include <sys/prctl.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tarnwick::clip {
namespace {

constexpr const char* kWlPaste = "wl-paste";
constexpr int kInitialReadMs = 2000;
constexpr size_t kFrameLimit = 1024 * 1024;

QStringList PasteArguments() { return {"--no-newline", "--type", "text"}; }

} // namespace

bool WantsWaylandWatch() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display == nullptr || *display == '\0' || std::getenv("TARNWICK_CLIP_DESKTOP_CLIPBOARD")) {
        return false;
    }
    return !QStandardPaths::findExecutable(kWlPaste).isEmpty();
}

int FrameStandardInput() {
    std::vector<char> text(kFrameLimit + 1);
    size_t length = std::fread(text.data(), 1, text.size(), stdin);
    // The rest is read too, so that the program that copied it can finish.
    for (char rest[4096]; std::fread(rest, 1, sizeof rest, stdin) > 0;) {
    }
    // A text that holds the frame's end, or more than a frame, is no address:
    // its frame is empty.
    if (length > kFrameLimit ||
        std::find(text.begin(), text.begin() + length, '\0') != text.begin() + length) {
        length = 0;
    }
    std::fwrite(text.data(), 1, length, stdout);
    std::fputc('\0', stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

WaylandWatch::WaylandWatch(AddressHandler on_address, std::function<void()> on_ended)
    : on_address_(std::move(on_address)), on_ended_(std::move(on_ended)) {
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { Read(); });
    QObject::connect(&process_, &QProcess::finished, [this] { on_ended_(); });
}

WaylandWatch::~WaylandWatch() {
    QObject::disconnect(&process_, nullptr, nullptr, nullptr);
    process_.kill();
    process_.waitForFinished(kInitialReadMs);
}

bool WaylandWatch::Start() {
    QProcess current;
    current.start(kWlPaste, PasteArguments());
    if (current.waitForFinished(kInitialReadMs) && current.exitCode() == 0) {
        initial_ = current.readAllStandardOutput();
    }
    process_.setStandardErrorFile(QProcess::nullDevice());
    // wl-paste ends with this program, however it ends.
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(kWlPaste, PasteArguments()
                                 << "--watch" << QCoreApplication::applicationFilePath()
                                 << kFrameArgument);
    return process_.waitForStarted();
}

void WaylandWatch::Read() {
    pending_.append(process_.readAllStandardOutput());
    for (qsizetype end = pending_.indexOf('\0'); end >= 0; end = pending_.indexOf('\0')) {
        const QByteArray text = pending_.left(end);
        pending_.remove(0, end + 1);
        if (initial_ && *initial_ == text) {
            initial_.reset();
            continue;
        }
        initial_.reset();
        for (const QByteArray& address : AddressesOf(QString::fromUtf8(text))) on_address_(address);
    }
    if (pending_.size() > static_cast<qsizetype>(kFrameLimit)) pending_.clear();
}

} // namespace tarnwick::clip
