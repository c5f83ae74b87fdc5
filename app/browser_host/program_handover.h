// The host's way to the running program: its items go over the program's
// local channel, and a program is started, in the tray, where none runs.
#pragma once

#include "handoff/handoff_request.h"

#include <string>
#include <variant>
#include <vector>

namespace tarnwick::browser_host {

// How long the items wait for a program, started or starting, to answer.
inline constexpr int kProgramWaitMs = 10'000;

// What the program did with each item, in order; or why it was not asked.
std::variant<std::vector<handoff::ItemReply>, handoff::Refusal> HandToProgram(
    const std::vector<handoff::HandedItem>& items);

} // namespace tarnwick::browser_host
