// Message boxes shown with QMessageBox, over the given parent window, in its
// palette.
#pragma once

#include "platform/message_box.h"

class QWidget;

namespace tarnwick::qt {

class QtMessageBox : public platform::MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    platform::MessageAnswer Show(const std::string& text, const std::string& title,
                                 platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override;

private:
    QWidget* parent_;
};

} // namespace tarnwick::qt
