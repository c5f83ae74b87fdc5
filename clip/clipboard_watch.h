// Watches the clipboard and hands on each new text that is the address of a
// supported site's page or of a video file.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QClipboard;

namespace tarnwick::clip {

// The address a clipboard text holds, cleaned as the program cleans what it
// lists, when that is one the clipboard monitor takes
// (resolve::IsCopiedVideoAddress) and the channel accepts; empty otherwise.
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
