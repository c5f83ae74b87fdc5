#include "clipboard_watch.h"

#include "qt/local_channel.h"
#include "resolve/page_address.h"

#include <QClipboard>

#include <utility>

namespace tarnwick::clip {

QByteArray AddressOf(const QString& text) {
    const std::string address = resolve::CleanAddress(text.toStdString());
    if (!resolve::IsCopiedVideoAddress(address)) return {};
    const QByteArray bytes = QByteArray::fromStdString(address);
    return qt::IsChannelAddress(bytes) ? bytes : QByteArray();
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
