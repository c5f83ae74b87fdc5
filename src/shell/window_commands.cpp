#include "shell/window_commands.h"

#include <sstream>
#include <string>

namespace tarnwick::shell {

std::vector<platform::UserCommand> WindowCommands::Commands() const {
    return {
        {.id = static_cast<int>(WindowAction::kPasteAddress),
         .caption = "&Paste address",
         .keys = "Ctrl+V",
         .in_menu = false},
        {.id = static_cast<int>(WindowAction::kExit),
         .caption = "E&xit",
         .keys = "Ctrl+Q",
         .in_menu = false},
        {.id = static_cast<int>(WindowAction::kUndoRemoval),
         .caption = "&Undo removal",
         .keys = "Ctrl+Z",
         .in_menu = false},
        {.id = static_cast<int>(WindowAction::kSelectAll),
         .caption = "Select &all",
         .keys = "Alt+A",
         .in_menu = false},
        {.id = static_cast<int>(WindowAction::kClearCompleted),
         .caption = "&Clear completed items",
         .keys = "Alt+X",
         .in_menu = false},
    };
}

bool WindowCommands::IsEnabled(int id) const {
    return id >= static_cast<int>(WindowAction::kPasteAddress) &&
           id <= static_cast<int>(WindowAction::kClearCompleted);
}

void WindowCommands::Run(int id) {
    switch (static_cast<WindowAction>(id)) {
        case WindowAction::kPasteAddress: return PasteAddresses();
        case WindowAction::kExit: return t_.lifecycle.Exit();
        case WindowAction::kUndoRemoval: return UndoRemoval();
        case WindowAction::kSelectAll: return t_.grid.SelectAll();
        case WindowAction::kClearCompleted: return t_.grid.ClearCompleted();
    }
}

void WindowCommands::PasteAddresses() {
    std::istringstream lines(t_.clipboard.Text());
    bool any = false;
    for (std::string line; std::getline(lines, line);) {
        if (!t_.entry.Add(line).empty()) any = true;
    }
    if (!any) t_.messages.ShowMessage(kNoAddressOnClipboard);
}

void WindowCommands::UndoRemoval() {
    if (t_.undo == nullptr || !t_.undo->Undo()) t_.messages.ShowMessage(kNothingToUndo);
}

} // namespace tarnwick::shell
