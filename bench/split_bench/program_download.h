// The program's own file transfer, as a run drives it: curl on Qt's event
// loop, the file written in place over up to N connections that a budget
// shared by the run allows, and synced to the disk at the end on the
// program's background thread.
#pragma once

#include "curl/curl_client.h"
#include "qt/qt_clock.h"
#include "qt/thread_background_work.h"
#include "transfer/connection_budget.h"

#include <optional>
#include <string>

namespace tarnwick::bench {

class ProgramDownload {
public:
    ProgramDownload();

    // Fetches `url` into `file` over up to `connections` connections, on an
    // event loop of its own; none when the transfer completed, what went
    // wrong otherwise.
    std::optional<std::string> Run(const std::string& url, const std::string& file,
                                   int connections);

    // Of the last run's time, the seconds from its last progress report to
    // its end: the sync to the disk, mostly.
    double SecondsAfterLastReport() const { return after_last_report_; }
    // The processor time the last run took, on every thread of the process.
    double CpuSeconds() const { return cpu_seconds_; }

private:
    qt::QtClock clock_;
    curl::CurlClient http_;
    qt::ThreadBackgroundWork background_;
    transfer::ConnectionBudget budget_{clock_};
    double after_last_report_ = 0;
    double cpu_seconds_ = 0;
};

} // namespace tarnwick::bench
