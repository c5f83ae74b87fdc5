// The real program as a user runs it, started from outside: a user of its
// own (home and XDG folders in a temporary folder, a settings file, a
// download folder), on the benchmark's display with Qt's X11 platform. The
// figures of its process come from /proc.
#pragma once

#include "support/temp_folder.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::bench {

struct ProgramSetup {
    std::string program; // the program's file
    std::string display; // ":N"
    // QT_QUICK_BACKEND=software: Qt Quick's software renderer, not OpenGL.
    bool software_quick = false;
};

// A user that has just installed the program: its settings say where
// videos go, that the clipboard is not watched, and whether the list is kept.
class FreshUser {
public:
    explicit FreshUser(bool keep_list);

    const std::string& DownloadFolder() const { return download_folder_; }
    // Where the program keeps its list.
    std::string KeptListFile() const;
    // The benchmark's environment with this user's folders and `setup`'s
    // display and renderer, for the program's processes.
    std::vector<std::string> Environment(const ProgramSetup& setup) const;
    std::string LogFile() const { return folder_.File("program.log"); }

private:
    test_support::TempFolder folder_;
    std::string download_folder_;
};

class ProgramUnderTest {
public:
    // Starts the program with no addresses; throws when it cannot.
    ProgramUnderTest(const ProgramSetup& setup, const FreshUser& user);
    // Ends the program (SIGKILL when it is still running) and reaps it.
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    pid_t Pid() const { return pid_; }
    // When the process was started, on the monotonic clock.
    int64_t StartedNs() const { return started_ns_; }
    // False once the process has ended.
    bool Running();

    // Processor seconds of all its threads, ended ones too (user + system,
    // counted in clock ticks).
    double CpuSeconds() const;
    // Nanoseconds its threads running now have run, to the nanosecond.
    int64_t LiveThreadsRunNs() const;
    // Resident memory (VmRSS), in KiB.
    long ResidentKiB() const;

    // A later launch, `tarnwick URL...`, which hands the addresses to this
    // program and ends; reaped when it ends.
    void HandOver(const std::vector<std::string>& addresses);
    // Reaps the later launches that have ended; true when all have.
    bool LaunchesEnded();

    // The end of the program's log, to tell why it failed.
    std::string LogTail() const;

private:
    pid_t Spawn(const std::vector<std::string>& arguments) const;

    const ProgramSetup setup_;
    const FreshUser& user_;
    pid_t pid_ = -1;
    int64_t started_ns_ = 0;
    std::vector<pid_t> launches_;
};

} // namespace tarnwick::bench
