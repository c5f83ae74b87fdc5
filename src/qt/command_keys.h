// The keys and the menu of user commands on a widget: each key runs its
// command while the widget (or, with a window context, its window) has the
// focus, unless a text field there takes the key; the menu shows the
// commands' captions and keys, enabled as they apply when it opens.
#pragma once

#include "platform/user_commands.h"

#include <QObject>

#include <vector>

class QAction;
class QPoint;
class QWidget;

namespace tarnwick::qt {

class CommandKeys : public QObject {
    Q_OBJECT

public:
    // Owned by `widget`, or deleted earlier to take the keys away.
    CommandKeys(QWidget* widget, platform::UserCommands& commands, Qt::ShortcutContext context);

    // Opens the menu at the screen point and returns; a chosen entry runs
    // its command later.
    void PopupMenu(const QPoint& global);

private:
    QWidget* widget_;
    platform::UserCommands& commands_;
};

} // namespace tarnwick::qt
