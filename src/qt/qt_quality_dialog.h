// The item's "Quality…" dialog on Qt widgets, over the main window, in the
// skin's palette. It opens window-modal and answers when it closes; the
// event loop goes on meanwhile.
#pragma once

#include "platform/quality_dialog.h"

#include <QPointer>

class QDialog;
class QWidget;

namespace tarnwick::qt {

class QtQualityDialog : public platform::QualityDialog {
public:
    explicit QtQualityDialog(QWidget* parent) : parent_(parent) {}
    ~QtQualityDialog() override;
    void Show(const platform::QualityForm& form, Answer on_answer) override;

private:
    QWidget* parent_;
    QPointer<QDialog> open_;
};

} // namespace tarnwick::qt
