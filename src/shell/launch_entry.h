// The texts of the program's command line, of this launch or of a later one
// handed over, enter the list as typed addresses do, in their order. Once
// any was listed, a run starts unless one is under way; a later launch also
// brings the window to the front, from the tray or a minimised state.
#pragma once

#include "platform/main_window.h"
#include "shell/address_entry.h"
#include "shell/run_commands.h"

#include <string>
#include <vector>

namespace tarnwick::shell {

// The texts of a command line that are addresses: those after the program,
// less options ("--name"), and all after a "--".
std::vector<std::string> AddressesOfCommandLine(const std::vector<std::string>& arguments);

class LaunchEntry {
public:
    LaunchEntry(AddressEntry& entry, RunStarter& runs, platform::MainWindow& window)
        : entry_(entry), runs_(runs), window_(window) {}

    // One text of a later launch's command line.
    void Add(const std::string& text);
    // The later launch's texts have all come; it wants the window.
    void Finish();
    // This launch's own texts, once the program has started: they come
    // first, then what later launches handed over meanwhile.
    void TakeOwn(const std::vector<std::string>& texts);

private:
    void List(const std::string& text);
    void EndLaunch(bool bring_to_front);

    AddressEntry& entry_;
    RunStarter& runs_;
    platform::MainWindow& window_;
    bool listed_ = false;
    // Until the program has started, what later launches handed over waits:
    // a text, or the end of a launch (empty).
    bool started_ = false;
    std::vector<std::string> waiting_;
};

} // namespace tarnwick::shell
