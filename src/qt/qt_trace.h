// The trace on Qt's logging categories "tarnwick.run", "tarnwick.http",
// "tarnwick.store" and "tarnwick.clip", at debug level: off unless
// QT_LOGGING_RULES or the --verbose flag switch them on. Lines go to stderr.
#pragma once

#include "platform/trace.h"

namespace tarnwick::qt {

class QtTrace final : public platform::Trace {
public:
    bool IsOn(platform::TraceArea area) const override;
    void Write(platform::TraceArea area, std::string_view line) override;

    // Switches every area on, as --verbose asks.
    static void SwitchAllOn();
};

} // namespace tarnwick::qt
