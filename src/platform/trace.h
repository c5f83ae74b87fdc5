// A trace of what the program did, for debugging and the reliability
// checks: one line per job step, HTTP request and answer, store error and
// clipboard delivery. It is off unless asked for, and nothing depends on it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarnwick::platform {

enum class TraceArea { kRun, kHttp, kStore, kClip };

class Trace {
public:
    virtual ~Trace() = default;
    // Whether lines of the area are written; when not, callers skip making them.
    virtual bool IsOn(TraceArea area) const = 0;
    virtual void Write(TraceArea area, std::string_view line) = 0;

    // Writes the line `make` returns, made only when the area is on.
    void Note(TraceArea area, const std::function<std::string()>& make) {
        if (IsOn(area)) Write(area, make());
    }
};

// A trace that writes nothing: where no trace is given.
class NoTrace final : public Trace {
public:
    bool IsOn(TraceArea) const override { return false; }
    void Write(TraceArea, std::string_view) override {}
};

} // namespace tarnwick::platform
