// The clipboard of a Wayland session, for real: a headless sway, the program
// on Wayland inside it with the polling fallback switched off, and two page
// addresses copied with wl-copy, a program with no window of its own. Both
// must be listed and downloaded. Run as root, everything runs as "nobody",
// since sway refuses to run as root. Skips, saying why, where no headless
// compositor can be started.
#include "support/loopback_server.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Waits for something outside this process, looking every 50 ms; false once
// `limit` has passed.
bool WaitFor(const std::function<bool()>& done, milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(50));
    }
    return true;
}

bool HasProgram(const std::string& name) {
    for (const char* folder : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
        if (access((folder + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// Whether a process whose command line holds all of `words` runs.
bool ProcessRuns(const std::vector<std::string>& words) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        bool all = !line.empty();
        for (const std::string& word : words) all = all && line.find(word) != std::string::npos;
        if (all) return true;
    }
    return false;
}

class WaylandClipboardTest : public testing::Test {
protected:
    WaylandClipboardTest() {
        for (const char* folder : {"home", "run"}) fs::create_directory(folder_.File(folder));
        chmod(folder_.File("run").c_str(), 0700);
        if (geteuid() == 0) {
            // Sway refuses root: the session is nobody's.
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr) return;
            as_nobody_ = true;
            chmod(folder_.Path().c_str(), 0755);
            for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
                chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
            }
            chown(folder_.Path().c_str(), nobody->pw_uid, nobody->pw_gid);
        }
    }
    ~WaylandClipboardTest() override {
        for (const pid_t pid : {program_, copier_, sway_}) {
            if (pid <= 0) continue;
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts `command` in the session's environment, as the session's user.
    pid_t Spawn(std::vector<std::string> command, std::vector<std::string> environment) {
        if (as_nobody_) {
            command.insert(command.begin(), {"setpriv", "--reuid=nobody", "--regid=nogroup",
                                             "--clear-groups", "--"});
        }
        environment.insert(environment.end(), {"PATH=/usr/bin:/bin", "HOME=" + folder_.File("home"),
                                               "XDG_RUNTIME_DIR=" + folder_.File("run")});
        std::vector<char*> argv;
        for (std::string& word : command) argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        pid_t pid = 0;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return failed == 0 ? pid : -1;
    }
    std::vector<std::string> Session() const { return {"WAYLAND_DISPLAY=" + display_}; }

    // Starts a headless sway; false when none can be started here.
    bool StartSway() {
        if (!HasProgram("sway") || !HasProgram("wl-copy") || !HasProgram("wl-paste")) return false;
        if (geteuid() == 0 && !as_nobody_) return false;
        const std::string config = folder_.File("sway.conf");
        std::ofstream(config) << "xwayland disable\n";
        chmod(config.c_str(), 0644);
        sway_ = Spawn({"sway", "--config", config}, {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                                     "WLR_LIBINPUT_NO_DEVICES=1"});
        const bool started = WaitFor(
            [&] {
                for (const auto& entry : fs::directory_iterator(folder_.File("run"))) {
                    const std::string name = entry.path().filename().string();
                    if (name.starts_with("wayland-") && !name.ends_with(".lock")) {
                        display_ = name;
                        return true;
                    }
                }
                return waitpid(sway_, nullptr, WNOHANG) == sway_;
            },
            milliseconds(20000));
        return started && !display_.empty();
    }

    std::string Videos() const { return folder_.File("home") + "/Downloaded Videos"; }
    std::string PageOf(const std::string& name) {
        const std::string link = "/v/" + name;
        server_.Serve(
            "/putfile.com/" + name,
            test_support::Answer::Http(200, "OK", {}, "<a href='" + server_.Url(link) + "'>"));
        server_.Serve(link, test_support::Answer::Http(200, "OK", {}, "video " + name));
        return server_.Url("/putfile.com/" + name);
    }
    // Copies `text` in a program of its own that holds the clipboard.
    void Copy(const std::string& text) {
        if (copier_ > 0) {
            kill(copier_, SIGTERM);
            waitpid(copier_, nullptr, 0);
        }
        copier_ = Spawn({"wl-copy", "--foreground", text}, Session());
    }
    std::string Log() const { return test_support::ReadWholeFile(log_); }

    test_support::TempFolder folder_;
    const std::string log_ = folder_.File("session.log");
    test_support::LoopbackServer server_;
    bool as_nobody_ = false;
    std::string display_;
    pid_t sway_ = -1;
    pid_t program_ = -1;
    pid_t copier_ = -1;
};

TEST_F(WaylandClipboardTest, AddressesCopiedInAWaylandProgramAreListedAndDownloaded) {
    if (!StartSway()) {
        GTEST_SKIP() << "no headless Wayland compositor can be started here (sway with "
                        "WLR_BACKENDS=headless); the session said:\n"
                     << Log();
    }
    const std::string first = PageOf("first.flv");
    const std::string second = PageOf("second.flv");
    program_ = Spawn(
        {TARNWICK_PROGRAM, "--no-clipboard-polling"},
        {"WAYLAND_DISPLAY=" + display_, "QT_QPA_PLATFORM=wayland", "QT_QUICK_BACKEND=software"});
    ASSERT_TRUE(WaitFor(
        [] {
            return ProcessRuns({"wl-paste", "--watch", "tarnwick-clip"});
        },
        milliseconds(30000)))
        << "the clipboard watcher did not start watching:\n"
        << Log();

    Copy(first);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(Videos() + "/first.flv"); }, milliseconds(30000)))
        << Log();
    Copy(second);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(Videos() + "/second.flv"); }, milliseconds(30000)))
        << Log();
    EXPECT_EQ(test_support::ReadWholeFile(Videos() + "/first.flv"), "video first.flv");
    EXPECT_EQ(test_support::ReadWholeFile(Videos() + "/second.flv"), "video second.flv");
}

} // namespace
} // namespace tarnwick
