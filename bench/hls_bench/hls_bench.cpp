// Download time of a streamed video (HLS): the program's engine for streams
// (playlist read, pieces fetched N at once on curl's multi handle, written
// in order, the file synced) at four and at eight pieces at once, against
// yt-dlp fetching as many pieces at once, against ffmpeg copying the stream,
// and at eight against the best that eight connections can do. The stream is
// made up (made_stream.h): by default 200 segments of 2 MB, from a loopback
// server in a process of its own that holds each connection to 8 MB/s, as a
// video site's servers do. The contenders take turns, round after round,
// each timed from its start to the whole file; the medians are printed with
// the targets. A reference program that is not installed is skipped.
//
//   hls_bench [--rounds N] [--segments N]
#include "child_run.h"
#include "made_stream.h"

#include "curl/curl_client.h"
#include "driver/download.h"
#include "driver/stream_reading.h"
#include "qt/qt_clock.h"
#include "qt/thread_background_work.h"
#include "support/server_process.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tarnwick;
using test_support::Answer;
using test_support::Request;

constexpr uint64_t kConnectionLimit = 8'000'000;
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
constexpr double kTargetAgainstYtDlp = 1.0;
constexpr double kTargetAgainstFfmpeg = 3.0;
constexpr double kTargetAgainstTheLimit = 0.95;

// The number in `target` between `prefix` and `suffix`, if it is that shape.
std::optional<int> NumberIn(std::string_view target, std::string_view prefix,
                            std::string_view suffix) {
    if (!target.starts_with(prefix) || !target.ends_with(suffix)) return std::nullopt;
    const std::string_view digits =
        target.substr(prefix.size(), target.size() - prefix.size() - suffix.size());
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 0) {
        return std::nullopt;
    }
    return number;
}

std::string StreamTarget(int segments) { return "/stream-" + std::to_string(segments) + ".m3u8"; }

// An answer of `body`, kept alive for the next request as a real server
// keeps its connections; the body is moved, not copied, into it.
Answer KeptAnswer(const std::string& type, std::string body) {
    Answer answer;
    answer
        .Head("HTTP/1.1 200 OK\r\nContent-Type: " + type +
              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n")
        .Body(std::move(body))
        .KeepAlive();
    return answer;
}

// "/stream-N.m3u8" is the playlist of N segments, "/piece-K.ts" segment K.
std::optional<Answer> StreamAnswer(const Request& request) {
    if (const std::optional<int> segments = NumberIn(request.target, "/stream-", ".m3u8")) {
        return KeptAnswer("application/vnd.apple.mpegurl", bench::MadePlaylist(*segments));
    }
    if (const std::optional<int> index = NumberIn(request.target, "/piece-", ".ts")) {
        return KeptAnswer("video/mp2t", bench::MadeSegment(*index));
    }
    return std::nullopt;
}

void ServeStream(test_support::LoopbackServer& server) {
    // A client that opens a connection for each piece leaves one open file
    // per piece here until the server ends.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    server.LimitEachConnection(kConnectionLimit);
    server.ServeOthers(StreamAnswer);
}

// Whether the file at `path` is the stream's segments, joined.
bool IsTheStream(const std::string& path, int segments) {
    std::ifstream in(path, std::ios::binary);
    std::string read(bench::SegmentSize(), '\0');
    for (int index = 0; index < segments; ++index) {
        if (!in.read(read.data(), static_cast<std::streamsize>(read.size())) ||
            read != bench::MadeSegment(index)) {
            return false;
        }
    }
    return in.peek() == std::ifstream::traits_type::eof();
}

// Whether ffmpeg's copy holds about the stream's bytes: its own packets
// carry the same frames with headers of their own.
bool IsTheStreamCopied(const std::string& path, int segments) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return !error &&
           static_cast<double>(size) >= 0.95 * static_cast<double>(bench::SegmentSize()) * segments;
}

// The program's engine for streams, as an item's job drives it, with the
// program's HTTP client, clock and background thread.
class TarnwickEngine {
public:
    // Downloads the stream at `url` into `file`, `pieces` at once; the
    // reason when it fails.
    std::optional<std::string> Download(const std::string& url, const std::string& file,
                                        int pieces) {
        QEventLoop loop;
        std::optional<Outcome> end;
        const auto finish = [&](Outcome outcome) {
            end = std::move(outcome);
            loop.quit();
        };
        const auto path = [&](int attempt) {
            return attempt == 1 ? file : file + "." + std::to_string(attempt);
        };
        std::unique_ptr<driver::Download> download;
        driver::StreamReading reading(requests_);
        reading.Start(url, false, [&](Result<driver::Plan> plan) {
            if (!plan) return finish(Outcome::Failed(plan.failure()));
            const driver::DownloadServices services{requests_, background_, nullptr, pieces,
                                                    [&](const std::string&) { return path; }};
            download = driver::MakeDownload(plan.value(), services, file);
            download->Start(std::nullopt,
                            {[](const driver::Download::Progress&) {}, [] {}, finish});
        });
        if (!end) loop.exec();
        if (end->IsComplete()) return std::nullopt;
        return "reason " + std::to_string(static_cast<int>(end->failure().reason)) + " " +
               end->failure().detail;
    }

private:
    qt::QtClock clock_;
    curl::CurlClient http_{kUserAgent};
    qt::ThreadBackgroundWork background_;
    transfer::RequestContext requests_{http_, clock_};
};

struct Contender {
    std::string name;
    // Not run, and why; empty when it runs.
    std::string skipped;
    // Downloads the stream into the file; the reason when it fails.
    std::function<std::optional<std::string>(const std::string& file)> download;
    std::function<bool(const std::string& file)> complete;
    // How many times as long it may take as the program, at least.
    double target = 0;
    std::vector<double> seconds;
    // Which of the program's contenders it is measured against.
    size_t against = 0;
};

// A reference program run as a child with `arguments`, where FILE is the
// file to write; the log of its output goes beside the file.
Contender Reference(std::string name, const std::string& program,
                    std::vector<std::string> arguments,
                    std::function<bool(const std::string& file)> complete, double target,
                    size_t against) {
    const std::optional<std::string> path = bench::FindOnPath(program);
    Contender contender{std::move(name),
                        path ? "" : program + " is not installed",
                        {},
                        std::move(complete),
                        target,
                        {},
                        against};
    if (!path) return contender;
    arguments.insert(arguments.begin(), *path);
    contender.download = [arguments](const std::string& file) -> std::optional<std::string> {
        std::vector<std::string> words = arguments;
        std::replace(words.begin(), words.end(), std::string("FILE"), file);
        const std::string log = file + ".log";
        if (bench::RunToEnd(words, log)) return std::nullopt;
        return "failed: " + bench::LastLine(log);
    };
    return contender;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

struct Options {
    int rounds = 5;
    int segments = 200;
};

bool ParseOptions(int argc, char* argv[], Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::optional<int> value = NumberIn(argv[i + 1], "", "");
        if (!value || *value < 1) return false;
        if (option == "--rounds") {
            options.rounds = *value;
        } else if (option == "--segments") {
            options.segments = *value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

// One round: each contender downloads the stream once into a folder of its
// own, which is emptied after it.
bool RunRound(int round, std::vector<Contender>& contenders, const std::filesystem::path& folder) {
    bool all_complete = true;
    std::printf("round %d:", round);
    for (Contender& contender : contenders) {
        if (!contender.skipped.empty()) continue;
        const std::filesystem::path place = folder / "run";
        std::filesystem::create_directories(place);
        const std::string file = (place / "video.ts").string();
        const auto start = std::chrono::steady_clock::now();
        std::optional<std::string> failure = contender.download(file);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!failure && !contender.complete(file)) failure = "the file is not the whole stream";
        if (failure) {
            std::printf(" %s %s;", contender.name.c_str(), failure->c_str());
            all_complete = false;
        } else {
            contender.seconds.push_back(took.count());
            std::printf(" %s %.1f s;", contender.name.c_str(), took.count());
        }
        std::fflush(stdout);
        std::filesystem::remove_all(place);
    }
    std::printf("\n");
    return all_complete;
}

void PrintRatio(const Contender& reference, const std::vector<Contender>& contenders) {
    const double tarnwick = Median(contenders[reference.against].seconds);
    const double seconds = Median(reference.seconds);
    if (seconds <= 0 || tarnwick <= 0) {
        std::printf("against %s: not measured\n", reference.name.c_str());
        return;
    }
    std::printf("against %s: %.2f x (target >= %.1f)\n", reference.name.c_str(), seconds / tarnwick,
                reference.target);
}

// The best time eight connections at the server's pace allow, over the
// program's time at eight pieces at once.
void PrintAgainstTheLimit(double best_seconds, double tarnwick) {
    if (tarnwick <= 0) {
        std::printf("against the limit of 8 connections: not measured\n");
        return;
    }
    std::printf("against the limit of 8 connections: %.2f x (target >= %.2f)\n",
                best_seconds / tarnwick, kTargetAgainstTheLimit);
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = bench::ServeIfServerProcess(argc, argv, ServeStream);
    if (served >= 0) return served;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--rounds N] [--segments N]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    bench::ServerProcess server(argv[0]);
    test_support::TempFolder folder;
    const std::string url = server.Url(StreamTarget(options.segments));
    const auto whole = [&](const std::string& file) { return IsTheStream(file, options.segments); };
    const auto copied = [&](const std::string& file) {
        return IsTheStreamCopied(file, options.segments);
    };

    TarnwickEngine engine;
    std::vector<Contender> contenders;
    const auto program_at = [&](int pieces) {
        contenders.push_back(
            {"tarnwick, " + std::to_string(pieces) + " at once",
             "",
             [&, pieces](const std::string& file) { return engine.Download(url, file, pieces); },
             whole,
             0,
             {},
             contenders.size()});
        return contenders.size() - 1;
    };
    // Its fix-up, a copy by ffmpeg into another container after the
    // download, is left out as the program's own conversion is.
    const auto ytdlp_at = [&](int pieces, size_t against) {
        const std::string count = std::to_string(pieces);
        contenders.push_back(
            Reference("yt-dlp -N " + count, "yt-dlp",
                      {"--hls-prefer-native", "-N", count, "--fixup", "never", "-o", "FILE", url},
                      whole, kTargetAgainstYtDlp, against));
    };
    const size_t four = program_at(4);
    ytdlp_at(4, four);
    // Its HLS reader takes the next segment on a second connection while it
    // copies one from the first (with a server of HTTP/1.1, as here).
    contenders.push_back(Reference("ffmpeg", "ffmpeg", {"-i", url, "-c", "copy", "FILE"}, copied,
                                   kTargetAgainstFfmpeg, four));
    const size_t eight = program_at(8);
    ytdlp_at(8, eight);

    const double stream_bytes = static_cast<double>(bench::SegmentSize()) * options.segments;
    const double limit = static_cast<double>(kConnectionLimit);
    std::printf(
        "hls_bench: %d segments of %.2f MB (%.0f MB), each connection held to %.0f MB/s:\n"
        "at best %.1f s on eight connections, %.1f s on four, %.1f s on two, %.1f s on one\n",
        options.segments, static_cast<double>(bench::SegmentSize()) / 1e6, stream_bytes / 1e6,
        limit / 1e6, stream_bytes / (8 * limit), stream_bytes / (4 * limit),
        stream_bytes / (2 * limit), stream_bytes / limit);
    bool all_complete = true;
    for (int round = 1; round <= options.rounds; ++round) {
        all_complete = RunRound(round, contenders, folder.Path()) && all_complete;
    }

    std::printf("medians over %d rounds:\n", options.rounds);
    for (const Contender& contender : contenders) {
        if (!contender.skipped.empty()) {
            std::printf("%s: skipped (%s)\n", contender.name.c_str(), contender.skipped.c_str());
        } else if (contender.seconds.empty()) {
            std::printf("%s: not measured\n", contender.name.c_str());
        } else {
            std::printf("%s: %.1f s\n", contender.name.c_str(), Median(contender.seconds));
        }
    }
    for (const Contender& contender : contenders) {
        if (contender.skipped.empty() && contender.target > 0) PrintRatio(contender, contenders);
    }
    PrintAgainstTheLimit(stream_bytes / (8 * limit), Median(contenders[eight].seconds));
    return all_complete ? 0 : 1;
}
