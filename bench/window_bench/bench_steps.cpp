#include "bench_steps.h"

#include <stdexcept>

namespace tarnwick::bench {
namespace {

constexpr std::chrono::milliseconds kShowLimit{30000};

} // namespace

std::unique_ptr<ProgramUnderTest> StartShown(BenchContext& bench, const Renderer& renderer,
                                             const FreshUser& user, EventWait& wait) {
    bench.x.Dispatch();
    bench.x.ForgetWindows();
    ProgramSetup setup = bench.setup;
    setup.software_quick = renderer.software_quick;
    auto program = std::make_unique<ProgramUnderTest>(setup, user);
    const bool drawn =
        wait.Until([&] { return bench.x.FirstDrawnNs() != 0 || !program->Running(); }, kShowLimit);
    if (!drawn || bench.x.FirstDrawnNs() == 0) {
        throw std::runtime_error("the program's window was never drawn; its log ends:\n" +
                                 program->LogTail());
    }
    return program;
}

bool WaitUntilAnswering(EventWait& wait, XObserver& x, int64_t since_ns,
                        std::chrono::milliseconds quiet, std::chrono::milliseconds limit,
                        const std::function<void()>& on_turn) {
    const int64_t quiet_ns = quiet.count() * 1000000;
    x.Pings().Clear();
    wait.SetPinging(true);
    const bool answering = wait.Until(
        [&] {
            on_turn();
            const int64_t now = MonotonicNs();
            const int64_t from = std::max(since_ns, x.Pings().LastLateNs(kLateMs, now));
            return now - from >= quiet_ns;
        },
        limit);
    wait.SetPinging(false);
    return answering;
}

} // namespace tarnwick::bench
