// Throughput of one video transfer: the program's file transfer (curl on
// Qt's event loop, the file written, the item's progress shown in the real
// grid offscreen) against the curl tool writing a file, the curl tool
// discarding what it gets, and a client that only receives (the ceiling) or
// only receives and writes the file.
// Last, the program's transfer of a smaller body held to a speed limit: its
// rate against the limit's (alone with --limit-only).
// The server runs in a process of its own; the contenders take turns, round
// after round, and the medians are printed, with processor time per GB of
// the receiving side.
#include "curl/curl_client.h"
#include "list/add_video_url.h"
#include "list/download_queue.h"
#include "qt/qt_clock.h"
#include "qt/qt_grid.h"
#include "qt/thread_background_work.h"
#include "support/server_process.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"

#include <QApplication>
#include <QEventLoop>
#include <QTableView>
#include <QWidget>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tarnwick;
using SteadyClock = std::chrono::steady_clock;

constexpr uint64_t kBodySize = 512ull * 1024 * 1024;
constexpr uint64_t kLimitedSize = 16ull * 1024 * 1024;
constexpr int64_t kSpeedLimit = 2048 * 1024; // 2048 KB/s
constexpr int kRounds = 7;
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";

void ServeBody(test_support::LoopbackServer& server) {
    server.Serve(
        "/video.flv",
        test_support::Answer()
            .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n")
            .GeneratedBody(kBodySize));
    server.Serve(
        "/limited.flv",
        test_support::Answer()
            .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kLimitedSize) + "\r\n\r\n")
            .GeneratedBody(kLimitedSize));
}

// A run's wall time and the processor time of its receiving side.
struct RunTime {
    double wall = -1; // negative when the run failed
    double cpu = 0;
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

RunTime Timed(const std::function<bool()>& run, const std::function<double()>& cpu_now) {
    const double cpu_start = cpu_now();
    const SteadyClock::time_point start = SteadyClock::now();
    const bool ok = run();
    RunTime time{std::chrono::duration<double>(SteadyClock::now() - start).count(),
                 cpu_now() - cpu_start};
    if (!ok) time.wall = -1;
    return time;
}

bool HasWholeBody(const std::string& path, uint64_t size = kBodySize) {
    std::error_code error;
    const bool whole = std::filesystem::file_size(path, error) == size && !error;
    std::filesystem::remove(path, error);
    return whole;
}

// The program's transfer, its progress shown in the grid's status cell.
class ProgramTransfer {
public:
    ProgramTransfer() : grid_(queue_, &window_) {
        window_.resize(648, 585);
        grid_.Widget()->setGeometry(36, 259, 572, 179);
        list::AddVideoURL(queue_, "http://www.putfile.com/bench");
        window_.show();
    }

    // The file is synced to the disk at the end, on the program's background thread.
    bool Run(const std::string& url, const std::string& file, uint64_t size = kBodySize) {
        const list::ItemKey key = queue_.LastKey();
        queue_.Modify(key, [size](list::DownloadItem& i) {
            i.state = list::ItemState::kDownloading;
            i.size_kind = list::SizeKind::kKnown;
            i.total_size = static_cast<int64_t>(size);
            i.received = 0;
        });
        transfer::RequestContext requests{http_, clock_};
        transfer::FileDownload download(requests, background_, 1);
        QEventLoop loop;
        bool complete = false;
        download.Start(url, std::nullopt, [&](int) { return file; },
                       {[&](const transfer::FileDownload::Progress& progress) {
                            queue_.SetReceived(key, progress.received);
                            queue_.SetKept(key,
                                           download.Keep()
                                               ? std::optional(transfer::AsKept(*download.Keep()))
                                               : std::nullopt);
                        },
                        [] {},
                        [&](Outcome outcome) {
                            complete = outcome.IsComplete();
                            loop.quit();
                        }});
        loop.exec();
        return complete && HasWholeBody(file, size);
    }
    void SetSpeedLimit(int64_t bytes_per_second) { http_.SetSpeedLimit(bytes_per_second); }

private:
    QWidget window_;
    list::DownloadQueue queue_;
    qt::QtGrid grid_;
    qt::QtClock clock_;
    curl::CurlClient http_{kUserAgent};
    qt::ThreadBackgroundWork background_;
};

bool CurlTool(const std::string& url, const std::string& output) {
    const std::string command =
        "curl --silent --show-error --output '" + output + "' '" + url + "'";
    if (std::system(command.c_str()) != 0) return false;
    return output == "/dev/null" || HasWholeBody(output);
}

// Receives the answer and drops it (what the machine's loopback can carry),
// or writes it to `file` as it comes (what it can carry onto the disk), and
// with `synced` waits until the disk has it.
bool ReceiveOnly(uint16_t port, const std::string& file = {}, bool synced = false) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    const std::string request = "GET /video.flv HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) {
        return false;
    }
    std::vector<char> buffer(256 * 1024);
    uint64_t received = 0;
    FILE* out = file.empty() ? nullptr : std::fopen(file.c_str(), "wb");
    if (out != nullptr) std::setvbuf(out, nullptr, _IONBF, 0);
    for (ssize_t got; (got = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;) {
        received += static_cast<uint64_t>(got);
        if (out != nullptr && std::fwrite(buffer.data(), 1, static_cast<size_t>(got), out) !=
                                  static_cast<size_t>(got)) {
            break;
        }
    }
    ::close(fd);
    if (out != nullptr) {
        if (synced) ::fsync(::fileno(out));
        std::fclose(out);
        std::filesystem::remove(file);
    }
    return received > kBodySize;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

struct Contender {
    Contender(const char* name, std::function<RunTime()> run) : name(name), run(std::move(run)) {}
    const char* name;
    std::function<RunTime()> run;
    std::vector<double> mb_per_s;
    std::vector<double> cpu_s_per_gb;
};

// One transfer held to kSpeedLimit. Its first burst, a quarter second of the
// limit, goes at once: the rest shows the limit's pace.
bool LimitedRun(ProgramTransfer& program, const std::string& url, const std::string& file) {
    program.SetSpeedLimit(kSpeedLimit);
    const RunTime time =
        Timed([&] { return program.Run(url, file, kLimitedSize); }, ThreadCpuSeconds);
    program.SetSpeedLimit(0);
    if (time.wall <= 0) return false;
    const double limit = static_cast<double>(kSpeedLimit);
    const double after_burst = (static_cast<double>(kLimitedSize) - limit / 4) / time.wall;
    std::printf(
        "at a limit of %lld KB/s, %llu MiB: %.0f KB/s on average, %.0f KB/s after the "
        "first burst, %.3f x the limit (target 0.95 to 1.0)\n",
        static_cast<long long>(kSpeedLimit / 1024),
        static_cast<unsigned long long>(kLimitedSize >> 20),
        static_cast<double>(kLimitedSize) / time.wall / 1024, after_burst / 1024,
        after_burst / limit);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = bench::ServeIfServerProcess(argc, argv, ServeBody);
    if (served >= 0) return served;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::ServerProcess server(argv[0]);
    test_support::TempFolder folder;
    const std::string url = server.Url("/video.flv");
    const std::string file = folder.File("video.flv");
    ProgramTransfer program;
    const std::string limited_url = server.Url("/limited.flv");
    if (argc > 1 && std::string(argv[1]) == "--limit-only") {
        return LimitedRun(program, limited_url, file) ? 0 : 1;
    }

    std::vector<Contender> contenders = {
        {"program, to a file",
         [&] { return Timed([&] { return program.Run(url, file); }, ThreadCpuSeconds); }},
        {"curl -o FILE",
         [&] { return Timed([&] { return CurlTool(url, file); }, ChildrenCpuSeconds); }},
        {"curl -o /dev/null",
         [&] { return Timed([&] { return CurlTool(url, "/dev/null"); }, ChildrenCpuSeconds); }},
        {"receive only (ceiling)",
         [&] { return Timed([&] { return ReceiveOnly(server.Port()); }, ThreadCpuSeconds); }},
        {"receive and write a file",
         [&] { return Timed([&] { return ReceiveOnly(server.Port(), file); }, ThreadCpuSeconds); }},
        {"receive, write and sync",
         [&] {
             return Timed([&] { return ReceiveOnly(server.Port(), file, true); }, ThreadCpuSeconds);
         }},
    };
    const double megabytes = static_cast<double>(kBodySize) / 1e6;
    bool all_ok = true;
    for (int round = 0; round < kRounds; ++round) {
        for (Contender& contender : contenders) {
            const RunTime time = contender.run();
            if (time.wall <= 0) {
                all_ok = false;
                continue;
            }
            contender.mb_per_s.push_back(megabytes / time.wall);
            contender.cpu_s_per_gb.push_back(time.cpu / (megabytes / 1000));
        }
    }
    std::printf("%d rounds of %llu MiB each, medians:\n", kRounds,
                static_cast<unsigned long long>(kBodySize >> 20));
    for (const Contender& contender : contenders) {
        std::printf("  %-24s %8.0f MB/s  %6.2f CPU s/GB\n", contender.name,
                    Median(contender.mb_per_s), Median(contender.cpu_s_per_gb));
    }
    const double program_rate = Median(contenders[0].mb_per_s);
    const double written_rate = Median(contenders[4].mb_per_s);
    const double synced_rate = Median(contenders[5].mb_per_s);
    std::printf("program (which syncs) against curl -o FILE:  %.2f x (target >= 1.0)\n",
                program_rate / Median(contenders[1].mb_per_s));
    std::printf("program against the ceiling:   %.2f x (target >= 0.8)\n",
                program_rate / Median(contenders[3].mb_per_s));
    std::printf("program against receive, write and sync: %.2f x\n", program_rate / synced_rate);
    std::printf("syncing a written file costs %.2f x the rate, %+.0f ms per %llu MiB\n",
                synced_rate / written_rate,
                (megabytes / synced_rate - megabytes / written_rate) * 1000,
                static_cast<unsigned long long>(kBodySize >> 20));
    all_ok = LimitedRun(program, limited_url, file) && all_ok;
    return all_ok ? 0 : 1;
}
