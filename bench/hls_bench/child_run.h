// The reference programs, run as children of the benchmark: found on the
// PATH, started with nothing to read and their output into a log, waited for.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::bench {

// The path of the program `name` on the PATH; none when it is not there.
std::optional<std::string> FindOnPath(const std::string& name);

// Runs `argv` (its first word the program's path) to its end, with its
// output and errors written to `log`, in `folder` when one is given (else
// in this process's own); whether it ended with status 0.
bool RunToEnd(const std::vector<std::string>& argv, const std::string& log,
              const std::string& folder = {});

// The last line of text at `path` that is not empty, to tell why a child failed.
std::string LastLine(const std::string& path);

} // namespace tarnwick::bench
