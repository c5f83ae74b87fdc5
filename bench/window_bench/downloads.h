// One download by each contender, timed from outside: `curl -o FILE`
// (followed by `sync FILE` where asked), and the program, handed the address
// by a later launch of itself.
#pragma once

#include "bench_steps.h"
#include "download_watch.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

struct Timed {
    double seconds = -1; // negative when the download failed
    double cpu_seconds = 0;
};

// `curl -o FILE URL`, and with `then_sync` `sync FILE` after it, from its
// start to its end, with their processor time. The file is checked for
// `size` bytes and removed.
Timed CurlDownload(const std::string& url, const std::string& file, uint64_t size,
                   bool then_sync = false);

struct ProgramTimed : Timed {
    // With pings: how long those answered while the bytes were written
    // waited, and those answered after the last write (once the file was
    // synced and took its name).
    std::vector<double> writing_waits_ms;
    std::vector<double> ending_waits_ms;
    // From the last write to the final name.
    double ending_ms = 0;
    // How often the window was drawn on meanwhile.
    int64_t drawings = 0;
};

// The program's download of `url`: from its temporary file's creation to
// its final name, with the processor time of all its threads meanwhile.
// The finished file is checked for `size` bytes and removed. With `ping`,
// the main window is pinged meanwhile.
ProgramTimed ProgramDownload(BenchContext& bench, ProgramUnderTest& program, DownloadWatch& watch,
                             EventWait& wait, const std::string& url, uint64_t size, bool ping);

} // namespace tarnwick::bench
