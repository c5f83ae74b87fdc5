#include "tool_commands.h"

namespace tarnwick::bench {

std::vector<std::string> Aria2Command(const std::string& program, const std::string& folder,
                                      const std::string& name, const std::string& url,
                                      int connections) {
    const std::string count = std::to_string(connections);
    return {
        program,
        // The user's own aria2.conf would change what is measured.
        "--no-conf",
        "-q",
        "--allow-overwrite=true",
        "--auto-file-renaming=false",
        // The room on the disk taken at once, as the program reserves it.
        "--file-allocation=falloc",
        // Pieces as small as the program's least part, so that a small
        // (--quick) file is split as far too; aria2c's default is 20M.
        "--min-split-size=4M",
        // One try: a failed run counts as failed, not as a slow one.
        "--max-tries=1",
        "-x" + count,
        "-s" + count,
        "-d",
        folder,
        "-o",
        name,
        url,
    };
}

std::vector<std::string> CurlCommand(const std::string& program, const std::string& output,
                                     const std::string& url) {
    return {program, "-s", "-o", output, url};
}

} // namespace tarnwick::bench
