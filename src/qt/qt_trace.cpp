#include "qt/qt_trace.h"

#include <QLoggingCategory>
#include <QTime>

#include <cstdio>

namespace tarnwick::qt {
namespace {

Q_LOGGING_CATEGORY(RunCategory, "tarnwick.run", QtInfoMsg)
Q_LOGGING_CATEGORY(HttpCategory, "tarnwick.http", QtInfoMsg)
Q_LOGGING_CATEGORY(StoreCategory, "tarnwick.store", QtInfoMsg)
Q_LOGGING_CATEGORY(ClipCategory, "tarnwick.clip", QtInfoMsg)

const QLoggingCategory& CategoryOf(platform::TraceArea area) {
    switch (area) {
        case platform::TraceArea::kRun: return RunCategory();
        case platform::TraceArea::kHttp: return HttpCategory();
        case platform::TraceArea::kStore: return StoreCategory();
        case platform::TraceArea::kClip: return ClipCategory();
    }
    return RunCategory();
}

} // namespace

bool QtTrace::IsOn(platform::TraceArea area) const { return CategoryOf(area).isDebugEnabled(); }

// Straight to stderr, whatever message handler the desktop's Qt has, so that
// a trace asked for on the command line shows there.
void QtTrace::Write(platform::TraceArea area, std::string_view line) {
    const QByteArray time = QTime::currentTime().toString("HH:mm:ss.zzz").toLatin1();
    std::fprintf(stderr, "%s %s: %.*s\n", time.constData(), CategoryOf(area).categoryName(),
                 static_cast<int>(line.size()), line.data());
}

void QtTrace::SwitchAllOn() { QLoggingCategory::setFilterRules("tarnwick.*.debug=true"); }

} // namespace tarnwick::qt
