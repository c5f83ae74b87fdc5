// The keys that work anywhere in the main window: Ctrl+V lists the addresses
// on the clipboard, as if typed; Ctrl+Q is the program's exit, asking as the
// exit asks; Ctrl+Z undoes the last removal from the list; Alt+A selects every
// row and Alt+X clears the completed items, as the skin's buttons of those
// names do.
#pragma once

#include "platform/clipboard.h"
#include "platform/user_commands.h"
#include "shell/address_entry.h"
#include "shell/app_lifecycle.h"
#include "shell/grid_commands.h"
#include "shell/removal_undo.h"
#include "shell/status_line.h"

#include <vector>

namespace tarnwick::shell {

enum class WindowAction : int {
    kPasteAddress = 1,
    kExit,
    kUndoRemoval,
    kSelectAll,
    kClearCompleted
};

inline constexpr const char* kNoAddressOnClipboard = "The clipboard holds no address";
inline constexpr const char* kNothingToUndo = "Nothing to undo";

struct WindowCommandTargets {
    AddressEntry& entry;
    platform::Clipboard& clipboard;
    AppLifecycle& lifecycle;
    GridCommands& grid;
    StatusMessages& messages;
    // None: nothing can be undone.
    RemovalUndo* undo = nullptr;
};

class WindowCommands : public platform::UserCommands {
public:
    explicit WindowCommands(WindowCommandTargets targets) : t_(targets) {}

    std::vector<platform::UserCommand> Commands() const override;
    bool IsEnabled(int id) const override;
    void Run(int id) override;

private:
    // Each line of the clipboard's text that is not blank is one address.
    void PasteAddresses();
    void UndoRemoval();

    WindowCommandTargets t_;
};

} // namespace tarnwick::shell
