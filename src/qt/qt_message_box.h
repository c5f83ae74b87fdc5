// Message boxes shown with QMessageBox.
#pragma once

#include "platform/message_box.h"

class QWidget;

namespace tarnwick::platform::qt {

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    MessageAnswer Show(const std::string& text, const std::string& title, MessageIcon icon,
                       MessageButtons buttons) override;

private:
    QWidget* parent_;
};

} // namespace tarnwick::platform::qt
