#include "program_under_test.h"

#include "support/server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace tarnwick::bench {
namespace {

namespace fs = std::filesystem;

// Where Qt puts the settings and the data of the program's organisation and name.
constexpr const char* kOrganisation = "Orvelle Tarnwick";
constexpr const char* kApplication = "Tarnwick";

// Variables of the benchmark's own session that the program must not see.
bool IsSessionVariable(const std::string& entry) {
    static const char* const kNames[] = {"HOME=",
                                         "DISPLAY=",
                                         "WAYLAND_DISPLAY=",
                                         "XAUTHORITY=",
                                         "DBUS_SESSION_BUS_ADDRESS=",
                                         "SESSION_MANAGER=",
                                         "QT_QPA_PLATFORM=",
                                         "QT_QPA_PLATFORMTHEME=",
                                         "QT_QUICK_BACKEND=",
                                         "XDG_"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char* name) { return entry.rfind(name, 0) == 0; });
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Reap(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
}

} // namespace

FreshUser::FreshUser(bool keep_list) : download_folder_(folder_.File("Videos")) {
    for (const char* name : {"home", "config", "data", "cache", "runtime", "Videos"}) {
        fs::create_directories(folder_.File(name));
    }
    // Qt and the program's lock want a runtime folder only the user can enter.
    ::chmod(folder_.File("runtime").c_str(), 0700);
    const fs::path settings = fs::path(folder_.File("config")) / kOrganisation;
    fs::create_directories(settings);
    std::ofstream(settings / (std::string(kApplication) + ".conf"))
        << "[Settings]\n"
        << "Download Dir=" << download_folder_ << "\n"
        << "URL Mon=False\n"
        << "Keep List=" << (keep_list ? "True" : "False") << "\n"
        << "Other Sites=True\n";
}

std::string FreshUser::KeptListFile() const {
    return (fs::path(folder_.File("data")) / kOrganisation / kApplication / "downloads.db")
        .string();
}

std::vector<std::string> FreshUser::Environment(const ProgramSetup& setup) const {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!IsSessionVariable(*entry)) environment.emplace_back(*entry);
    }
    environment.push_back("HOME=" + folder_.File("home"));
    environment.push_back("XDG_CONFIG_HOME=" + folder_.File("config"));
    environment.push_back("XDG_DATA_HOME=" + folder_.File("data"));
    environment.push_back("XDG_CACHE_HOME=" + folder_.File("cache"));
    environment.push_back("XDG_RUNTIME_DIR=" + folder_.File("runtime"));
    environment.push_back("DISPLAY=" + setup.display);
    environment.push_back("QT_QPA_PLATFORM=xcb");
    if (setup.software_quick) environment.push_back("QT_QUICK_BACKEND=software");
    return environment;
}

ProgramUnderTest::ProgramUnderTest(const ProgramSetup& setup, const FreshUser& user)
    : setup_(setup), user_(user) {
    started_ns_ = MonotonicNs();
    pid_ = Spawn({});
    if (pid_ < 0) throw std::runtime_error("the program did not start: " + setup_.program);
}

ProgramUnderTest::~ProgramUnderTest() {
    for (const pid_t launch : launches_) {
        ::kill(launch, SIGKILL);
        Reap(launch);
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Reap(pid_);
    }
}

pid_t ProgramUnderTest::Spawn(const std::vector<std::string>& arguments) const {
    std::vector<std::string> words = {setup_.program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = user_.Environment(setup_);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = user_.LogFile();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, setup_.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

bool ProgramUnderTest::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
}

double ProgramUnderTest::CpuSeconds() const {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid_) + "/stat");
    const size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos) return -1;
    // After the name: state, then fields 4 to 13, then utime and stime.
    std::istringstream fields(stat.substr(name_end + 2));
    std::string skipped;
    for (int field = 3; field <= 13; ++field) fields >> skipped;
    long long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

int64_t ProgramUnderTest::LiveThreadsRunNs() const {
    const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
    int64_t total = 0;
    std::error_code error;
    for (const fs::directory_entry& task : fs::directory_iterator(tasks, error)) {
        std::istringstream schedstat(ReadFile(task.path().string() + "/schedstat"));
        long long ran = 0;
        if (schedstat >> ran) total += ran;
    }
    return total;
}

long ProgramUnderTest::ResidentKiB() const {
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid_) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

void ProgramUnderTest::HandOver(const std::vector<std::string>& addresses) {
    const pid_t launch = Spawn(addresses);
    if (launch < 0) throw std::runtime_error("a later launch did not start");
    launches_.push_back(launch);
}

bool ProgramUnderTest::LaunchesEnded() {
    std::erase_if(launches_, [](pid_t launch) {
        int status = 0;
        return ::waitpid(launch, &status, WNOHANG) == launch;
    });
    return launches_.empty();
}

std::string ProgramUnderTest::LogTail() const {
    const std::string log = ReadFile(user_.LogFile());
    constexpr size_t kTail = 2000;
    return log.size() > kTail ? log.substr(log.size() - kTail) : log;
}

} // namespace tarnwick::bench
