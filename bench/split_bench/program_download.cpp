#include "program_download.h"

#include "transfer/file_download.h"

#include <QEventLoop>

#include <sys/resource.h>

#include <chrono>

namespace tarnwick::bench {
namespace {

constexpr const char* kUserAgent = "Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101";

std::string Describe(const Outcome& outcome) {
    if (outcome.IsCancelled()) return "cancelled";
    const Failure& failure = outcome.failure();
    std::string text = "failed, reason " + std::to_string(static_cast<int>(failure.reason));
    if (failure.http_status != 0) text += ", status " + std::to_string(failure.http_status);
    if (!failure.detail.empty()) text += ": " + failure.detail;
    return text;
}

// The processor time of this process so far, its threads together.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

ProgramDownload::ProgramDownload() : http_(kUserAgent) {}

std::optional<std::string> ProgramDownload::Run(const std::string& url, const std::string& file,
                                                int connections) {
    transfer::RequestContext requests{http_, clock_, {}, &budget_};
    // As the program's settings do: a host takes as many as one download may open.
    budget_.SetPerDownload(connections);
    // As the program does: further connections once the first is held back.
    transfer::FileDownload download(requests, background_, connections,
                                    transfer::FileDownload::Extras::kWhenHeldBack);
    QEventLoop loop;
    const double cpu_start = ProcessCpuSeconds();
    std::optional<Outcome> ended;
    using SteadyClock = std::chrono::steady_clock;
    SteadyClock::time_point last_report = SteadyClock::now();
    download.Start(
        url, std::nullopt, [&](int) { return file; },
        {[&](const transfer::FileDownload::Progress&) { last_report = SteadyClock::now(); }, [] {},
         [&](Outcome outcome) {
             ended = std::move(outcome);
             loop.quit();
         }});
    if (!ended) loop.exec();
    cpu_seconds_ = ProcessCpuSeconds() - cpu_start;
    after_last_report_ = std::chrono::duration<double>(SteadyClock::now() - last_report).count();
    if (!ended->IsComplete()) return Describe(*ended);
    // Every connection the transfer took is given back when it ends.
    if (budget_.InAll() != 0) {
        return std::to_string(budget_.InAll()) + " connections still held in the budget";
    }
    return std::nullopt;
}

} // namespace tarnwick::bench
