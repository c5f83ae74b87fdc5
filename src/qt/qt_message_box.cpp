#include "qt/qt_message_box.h"

#include <QMessageBox>
#include <QString>

namespace tarnwick::platform::qt {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer QtMessageBox::Show(const std::string& text, const std::string& title,
                                 MessageIcon icon, MessageButtons buttons) {
    const bool yes_no = buttons == MessageButtons::YesNo;
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(title), QString::fromStdString(text),
                    yes_no ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent_);
    const int answer = box.exec();
    if (!yes_no) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

} // namespace tarnwick::platform::qt
