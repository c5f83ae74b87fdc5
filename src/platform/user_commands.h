// Commands the user gives by key or from a menu: the program's logic lists
// them and runs them, the desktop's widgets bind their keys and show them.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::platform {

struct UserCommand {
    // Handed back when the command is given.
    int id = 0;
    // An ampersand marks the access key.
    std::string caption;
    // Its keys as portable key texts ("Ctrl+C", "Alt+Up"), several apart by
    // "; "; empty for none.
    std::string keys;
    bool in_menu = true;
    bool separator_before = false;
};

class UserCommands {
public:
    virtual ~UserCommands() = default;
    // In the order a menu shows them; the same list each time.
    virtual std::vector<UserCommand> Commands() const = 0;
    // Whether the command applies now; a menu shows it disabled otherwise.
    virtual bool IsEnabled(int id) const = 0;
    // Runs the command where it applies; elsewhere nothing happens.
    virtual void Run(int id) = 0;
};

} // namespace tarnwick::platform
