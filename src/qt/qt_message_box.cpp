#include "qt/qt_message_box.h"

#include "qt/skin_palette.h"

#include <QMessageBox>
#include <QString>

namespace tarnwick::qt {
namespace {

QMessageBox::Icon ToQtIcon(platform::MessageIcon icon) {
    switch (icon) {
        case platform::MessageIcon::Critical: return QMessageBox::Critical;
        case platform::MessageIcon::Question: return QMessageBox::Question;
        case platform::MessageIcon::Exclamation: return QMessageBox::Warning;
        case platform::MessageIcon::Information: return QMessageBox::Information;
        case platform::MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

platform::MessageAnswer QtMessageBox::Show(const std::string& text, const std::string& title,
                                           platform::MessageIcon icon,
                                           platform::MessageButtons buttons) {
    const bool yes_no = buttons == platform::MessageButtons::YesNo;
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(title), QString::fromStdString(text),
                    yes_no ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent_);
    TakeSkinPalette(box, parent_);
    const int answer = box.exec();
    if (!yes_no) return platform::MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

} // namespace tarnwick::qt
