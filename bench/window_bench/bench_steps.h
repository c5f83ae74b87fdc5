// What every measurement shares: the display, the program and its
// renderers, the server, and the steps of starting the program and waiting
// for its window.
#pragma once

#include "event_wait.h"
#include "figures.h"
#include "program_under_test.h"
#include "x_observer.h"

#include "support/server_process.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::bench {

struct Renderer {
    std::string name; // as the summary shows it
    bool software_quick = false;
};

struct BenchContext {
    ProgramSetup setup; // the program and the display; the renderer is set per start
    XObserver& x;
    ServerProcess& server;
    int rounds = 5;
    std::vector<Renderer> renderers;
    Summary& summary;
};

// A ping answered later than this counts as the window not answering.
constexpr double kLateMs = 50;

// Starts the program as `user` with `renderer` and waits until its main
// window is first drawn on; throws, with the program's log, when it is not.
std::unique_ptr<ProgramUnderTest> StartShown(BenchContext& bench, const Renderer& renderer,
                                             const FreshUser& user, EventWait& wait);

// Pings until the window has answered every ping within kLateMs for `quiet`
// since `since_ns` (or since its last late answer); false when that takes
// longer than `limit`. `on_turn` runs at each turn (to answer a dialog).
bool WaitUntilAnswering(
    EventWait& wait, XObserver& x, int64_t since_ns,
    std::chrono::milliseconds quiet = std::chrono::milliseconds(1000),
    std::chrono::milliseconds limit = std::chrono::milliseconds(60000),
    const std::function<void()>& on_turn = [] {});

// A figure of one renderer, as the summary names it.
inline std::string Under(const Renderer& renderer, const std::string& figure) {
    return figure + " [" + renderer.name + "]";
}

} // namespace tarnwick::bench
