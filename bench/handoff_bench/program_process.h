// The program as the benchmark runs it: started by the benchmark itself, or
// found where the native host started it, and ended either way.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tarnwick::bench {

// Starts `program --tray` with `environment`, its output discarded; 0 when it cannot start.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& environment);

// Ends a program this process started, and waits for it.
void EndChild(pid_t pid);

// The processes running `program` whose environment holds `entry` ("NAME=value").
std::vector<pid_t> ProgramsWith(const std::string& program, const std::string& entry);

// Ends a process another started (the host's program, in a session of its
// own) and waits up to 10 seconds for it to be gone.
bool EndStranger(pid_t pid);

} // namespace tarnwick::bench
