#include "qt/text_field_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMetaObject>
#include <QPointer>
#include <QQuickItem>
#include <QString>

namespace tarnwick::qt {

QMenu* PopUpTextFieldMenu(QQuickItem* field, QWidget* parent, const QPoint& global_position) {
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool selected = !field->property("selectedText").toString().isEmpty();
    const bool writable = !field->property("readOnly").toBool();
    const QPointer<QQuickItem> target(field);
    // Each entry calls the field's own function of that name.
    const auto add = [&](const QString& caption, QKeySequence::StandardKey keys,
                         const char* function, bool enabled) {
        QAction* action = menu->addAction(caption, menu, [target, function] {
            if (target) QMetaObject::invokeMethod(target, function);
        });
        action->setShortcut(QKeySequence(keys));
        action->setEnabled(enabled);
    };
    add(QStringLiteral("Cu&t"), QKeySequence::Cut, "cut", selected && writable);
    add(QStringLiteral("&Copy"), QKeySequence::Copy, "copy", selected);
    add(QStringLiteral("&Paste"), QKeySequence::Paste, "paste",
        writable && field->property("canPaste").toBool());
    menu->addSeparator();
    add(QStringLiteral("Select &All"), QKeySequence::SelectAll, "selectAll",
        !field->property("text").toString().isEmpty());
    field->forceActiveFocus(Qt::PopupFocusReason);
    menu->popup(global_position);
    return menu;
}

} // namespace tarnwick::qt
