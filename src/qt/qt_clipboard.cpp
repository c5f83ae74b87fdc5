#include "qt/qt_clipboard.h"

#include "qt/text_conversion.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tarnwick::qt {

std::string QtClipboard::Text() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return {};
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) return {};
    return ToStdString(clipboard->text(QClipboard::Clipboard));
}

void QtClipboard::SetText(const std::string& text) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(ToQString(text), QClipboard::Clipboard);
    }
}

} // namespace tarnwick::qt
