// Other programs run beside this one, such as a converter or a page reader
// the user installed: started directly (never through a shell), with what
// they print collected, and their end told from the event loop. Nothing
// waits for them: a caller that wants to give up destroys the child, which
// kills it at once.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::platform {

struct ChildRequest {
    // The program's path, as found by ChildProcesses::Find.
    std::string program;
    // Passed as they are, one argument each.
    std::vector<std::string> arguments = {};
    // Where the program runs; empty keeps this program's current folder.
    std::string working_folder = {};
    // The most standard output kept; a child that prints more is killed.
    size_t stdout_limit = 16 * 1024 * 1024;
};

// The last bytes of a child's standard error that are kept.
inline constexpr size_t kErrTailBytes = 8 * 1024;

struct ChildEnd {
    enum class Kind {
        kExited,        // it ended by itself, with exit_code
        kCrashed,       // it was ended by a signal, its own or another's
        kFailedToStart, // no such program, not executable, no such working folder
        kTooMuchOutput, // it printed more than stdout_limit and was killed
    };
    Kind kind = Kind::kExited;
    // The code it exited with; 0 unless kExited.
    int exit_code = 0;
    // Its standard output, at most stdout_limit bytes.
    std::string out = {};
    // The last kErrTailBytes of its standard error; for kFailedToStart, the
    // system's words for why.
    std::string err_tail = {};
};

// One program started. Its end is told at most once; destroying it before
// then kills the program at once, and nothing more is told.
class Child {
public:
    virtual ~Child() = default;
};

class ChildProcesses {
public:
    using OnEnd = std::function<void(ChildEnd end)>;

    // The children started must not outlive this.
    virtual ~ChildProcesses() = default;
    // Starts the program with its standard input closed. `on_end` is called
    // once from the event loop, never from inside this call, and may destroy
    // the child.
    virtual std::unique_ptr<Child> Start(ChildRequest request, OnEnd on_end) = 0;
    // The path of the executable file `name` (a bare name), looked for in
    // ~/.local/bin first and then in each folder of PATH; none when missing.
    virtual std::optional<std::string> Find(std::string_view name) const = 0;
};

} // namespace tarnwick::platform
