// Watches the clipboard and hands on each new text that is one web address.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QClipboard;

namespace tarnwick::clip {

// The address a clipboard text holds: the text without the blanks around it,
// as UTF-8, when that is one address the channel accepts; empty otherwise.
QByteArray AddressOf(const QString& text);

class ClipboardWatch : public QObject {
public:
    using AddressHandler = std::function<void(const QByteArray& address)>;

    // Changes reach the watch only while the event loop runs: on X11 the
    // clipboard's new owner is announced through it.
    ClipboardWatch(QClipboard& clipboard, AddressHandler on_address);

private:
    void Changed();

    QClipboard& clipboard_;
    AddressHandler on_address_;
};

} // namespace tarnwick::clip
