#include "qt/command_keys.h"

#include "qt/text_conversion.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace tarnwick::qt {
namespace {

QList<QKeySequence> KeysOf(const platform::UserCommand& command) {
    if (command.keys.empty()) return {};
    return QKeySequence::listFromString(ToQString(command.keys), QKeySequence::PortableText);
}

} // namespace

CommandKeys::CommandKeys(QWidget* widget, platform::UserCommands& commands,
                         Qt::ShortcutContext context)
    : QObject(widget), widget_(widget), commands_(commands) {
    for (const platform::UserCommand& command : commands_.Commands()) {
        const QList<QKeySequence> keys = KeysOf(command);
        if (keys.isEmpty()) continue;
        // The action is this object's: it leaves the widget when this goes.
        auto* action = new QAction(ToQString(command.caption), this);
        action->setShortcuts(keys);
        action->setShortcutContext(context);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { commands_.Run(id); });
        widget_->addAction(action);
    }
}

void CommandKeys::PopupMenu(const QPoint& global) {
    auto* menu = new QMenu(widget_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const platform::UserCommand& command : commands_.Commands()) {
        if (!command.in_menu) continue;
        if (command.separator_before && !menu->isEmpty()) menu->addSeparator();
        QAction* entry = menu->addAction(ToQString(command.caption));
        // Shown beside the caption; the widget's own action takes the key.
        const QList<QKeySequence> keys = KeysOf(command);
        if (!keys.isEmpty()) entry->setShortcut(keys.front());
        entry->setShortcutContext(Qt::WidgetShortcut);
        entry->setEnabled(commands_.IsEnabled(command.id));
        const int id = command.id;
        connect(entry, &QAction::triggered, this, [this, id] { commands_.Run(id); });
    }
    menu->popup(global);
}

} // namespace tarnwick::qt
