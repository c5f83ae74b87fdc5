#include "clipboard_watch.h"

#include "qt/local_channel.h"
#include "resolve/page_address.h"

#include <QClipboard>

#include <utility>

namespace tarnwick::clip {

QList<QByteArray> AddressesOf(const QString& text) {
    QList<QByteArray> addresses;
    for (const std::string& address : resolve::CopiedVideoAddresses(text.toStdString())) {
        QByteArray bytes = QByteArray::fromStdString(address);
        if (qt::IsChannelAddress(bytes)) addresses.append(std::move(bytes));
    }
    return addresses;
}

ClipboardWatch::ClipboardWatch(QClipboard& clipboard, AddressHandler on_address)
    : clipboard_(clipboard), on_address_(std::move(on_address)) {
    connect(&clipboard_, &QClipboard::dataChanged, this, [this] { Changed(); });
}

void ClipboardWatch::Changed() {
    for (const QByteArray& address : AddressesOf(clipboard_.text(QClipboard::Clipboard))) {
        on_address_(address);
    }
}

} // namespace tarnwick::clip
