// The usual edit menu of a text field in the skin: Cut, Copy, Paste and
// Select All, each enabled where it applies, acting on the field.
#pragma once

class QMenu;
class QPoint;
class QQuickItem;
class QWidget;

namespace tarnwick::qt {

// Opens the menu at `global_position` without waiting for a choice; it goes
// when it closes. Returns the menu, for tests to look at.
QMenu* PopUpTextFieldMenu(QQuickItem* field, QWidget* parent, const QPoint& global_position);

} // namespace tarnwick::qt
