#include "clipboard_watch.h"

#include "qt/local_channel.h"

#include <QClipboard>

#include <utility>

namespace tarnwick::clip {

QByteArray AddressOf(const QString& text) {
    const QByteArray address = text.trimmed().toUtf8();
    return qt::IsChannelAddress(address) ? address : QByteArray();
}

ClipboardWatch::ClipboardWatch(QClipboard& clipboard, AddressHandler on_address)
    : clipboard_(clipboard), on_address_(std::move(on_address)) {
    connect(&clipboard_, &QClipboard::dataChanged, this, [this] { Changed(); });
}

void ClipboardWatch::Changed() {
    const QByteArray address = AddressOf(clipboard_.text(QClipboard::Clipboard));
    if (!address.isEmpty()) on_address_(address);
}

} // namespace tarnwick::clip
