// Watches the clipboard and hands on, of each new text, every line that is the
// address of a supported site's page or of a video file.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QClipboard;

namespace tarnwick::clip {

// The addresses a clipboard text holds, one a line, cleaned as the program
// cleans what it lists: those the clipboard monitor takes
// (resolve::CopiedVideoAddresses) and the channel accepts.
QList<QByteArray> AddressesOf(const QString& text);

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
