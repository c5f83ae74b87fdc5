// The figures of the window: its first frame, its rest when idle, its
// memory with a full list, and its answers while a full list is removed.
#include "kept_list.h"
#include "measurements.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace tarnwick::bench {
namespace {

using std::chrono::milliseconds;

constexpr int kFullList = 32767;
// The removal is measured in this many fresh starts of the program.
constexpr int kRemoveStarts = 5;
constexpr milliseconds kIdleSpan{3000};
constexpr double kIdleZeroMs = 1;

// Where the skin's buttons are in its 648 x 585 window (skin/Main.qml): the
// row of grid commands ends 40 px from the right at y 224, six buttons of
// 32 x 28, 4 px apart; the title bar's last button, Close, is 34 x 26 and
// ends 9 px from the right, centred in the bar from y 1 to 44.
struct Spot {
    int x;
    int y;
};
constexpr Spot kSelectAll{396 + 16, 224 + 14};
constexpr Spot kRemoveSelected{396 + 4 * 36 + 16, 224 + 14};
constexpr Spot kClose{647 - 8 - 17, 22};

constexpr uint32_t kKeyY = 0x0079;
constexpr uint32_t kKeyReturn = 0xff0d;

double Ms(int64_t ns) { return static_cast<double>(ns) / 1e6; }

// Answers a question the program asks in a message box: "y" for its Yes
// button, then Return for its default button if the box is still there.
class QuestionAnswerer {
public:
    explicit QuestionAnswerer(XObserver& x) : x_(x) {}

    void OnTurn() {
        if (x_.OtherWindows().empty()) return;
        const xcb_window_t box = x_.OtherWindows().back();
        const int64_t now = MonotonicNs();
        if (box != box_) {
            box_ = box;
            presses_ = 0;
            next_ns_ = now + kSettleNs; // it takes the keyboard once shown
            ++questions_;
        }
        if (now < next_ns_ || presses_ >= 2) return;
        x_.PressKey(box_, presses_ == 0 ? kKeyY : kKeyReturn);
        ++presses_;
        next_ns_ = now + 5 * kSettleNs;
    }
    int Questions() const { return questions_; }

private:
    static constexpr int64_t kSettleNs = 100000000;
    XObserver& x_;
    xcb_window_t box_ = XCB_NONE;
    int presses_ = 0;
    int64_t next_ns_ = 0;
    int questions_ = 0;
};

} // namespace

void MeasureFirstFrame(BenchContext& bench) {
    for (const Renderer& renderer : bench.renderers) {
        std::vector<double> frames;
        EventWait wait(bench.x, nullptr);
        for (int round = 0; round < bench.rounds; ++round) {
            FreshUser user(true);
            const auto program = StartShown(bench, renderer, user, wait);
            frames.push_back(Ms(bench.x.FirstDrawnNs() - program->StartedNs()));
        }
        const double median = Median(frames);
        std::printf("first frame [%s]: median %.1f ms, from %.1f to %.1f ms over %d starts\n",
                    renderer.name.c_str(), median, Percentile(frames, 0), Percentile(frames, 1),
                    bench.rounds);
        bench.summary.Add(Under(renderer, Format("first frame, median of %d", bench.rounds)),
                          Format("%.1f ms", median), "<= 150 ms", VerdictOf(median <= 150));
    }
}

void MeasureIdle(BenchContext& bench) {
    for (const Renderer& renderer : bench.renderers) {
        FreshUser user(true);
        EventWait wait(bench.x, nullptr);
        const auto program = StartShown(bench, renderer, user, wait);
        WaitUntilAnswering(wait, bench.x, MonotonicNs());
        const long resident = program->ResidentKiB();
        const int64_t ran_before = program->LiveThreadsRunNs();
        const int64_t drawings_before = bench.x.Drawings();
        wait.For(kIdleSpan);
        const double ran_ms = Ms(program->LiveThreadsRunNs() - ran_before);
        std::printf(
            "idle after start-up [%s]: %.2f ms of processor time in %.0f s, drawn on %lld "
            "times; resident %.1f MiB with an empty list\n",
            renderer.name.c_str(), ran_ms, kIdleSpan.count() / 1000.0,
            static_cast<long long>(bench.x.Drawings() - drawings_before), resident / 1024.0);
        bench.summary.Add(Under(renderer, Format("CPU when nothing downloads, %.0f s after start",
                                                 kIdleSpan.count() / 1000.0)),
                          Format("%.2f ms", ran_ms), "0 (< 1 ms)", VerdictOf(ran_ms < kIdleZeroMs));
    }
}

void MeasureMemory(BenchContext& bench) {
    for (const Renderer& renderer : bench.renderers) {
        FreshUser user(true);
        if (!WriteKeptList(user.KeptListFile(), kFullList)) {
            throw std::runtime_error("the kept list could not be written");
        }
        EventWait wait(bench.x, nullptr);
        const auto program = StartShown(bench, renderer, user, wait);
        WaitUntilAnswering(wait, bench.x, MonotonicNs());
        const double mib = program->ResidentKiB() / 1024.0;
        std::printf("resident memory with %d kept items [%s]: %.1f MiB\n", kFullList,
                    renderer.name.c_str(), mib);
        bench.summary.Add(Under(renderer, Format("resident memory, %d kept items", kFullList)),
                          Format("%.1f MiB", mib), "<= 90 MiB", VerdictOf(mib <= 90));
    }
}

namespace {

// Clicks at `spot` and waits until the window answers again; the longest
// wait of a ping meanwhile, in milliseconds.
double ClickAndTimeBlock(BenchContext& bench, EventWait& wait, Spot spot,
                         QuestionAnswerer* answerer = nullptr) {
    bench.x.Pings().Clear();
    const int64_t clicked = MonotonicNs();
    bench.x.Click(spot.x, spot.y);
    const bool answering =
        WaitUntilAnswering(wait, bench.x, clicked, milliseconds(1000), milliseconds(120000), [&] {
            if (answerer != nullptr) answerer->OnTurn();
        });
    if (!answering) std::printf("  (the window did not answer again within two minutes)\n");
    return bench.x.Pings().LongestWaitMs(MonotonicNs());
}

} // namespace

namespace {

// What one start's Select all + Remove of the full list did.
struct RemoveInOneStart {
    double select_ms = 0;
    double remove_ms = 0;
    int questions = 0;
    int left = 0;       // items kept after the program's exit
    bool ended = false; // whether the program ended at Close

    double LongestMs() const { return std::max(select_ms, remove_ms); }
};

RemoveInOneStart SelectAllAndRemove(BenchContext& bench, const Renderer& renderer) {
    FreshUser user(true);
    if (!WriteKeptList(user.KeptListFile(), kFullList)) {
        throw std::runtime_error("the kept list could not be written");
    }
    EventWait wait(bench.x, nullptr);
    auto program = StartShown(bench, renderer, user, wait);
    WaitUntilAnswering(wait, bench.x, MonotonicNs());
    QuestionAnswerer answerer(bench.x);
    RemoveInOneStart start;
    start.select_ms = ClickAndTimeBlock(bench, wait, kSelectAll);
    start.remove_ms = ClickAndTimeBlock(bench, wait, kRemoveSelected, &answerer);
    start.questions = answerer.Questions();
    // The list as the program leaves it at its exit tells that the removal happened.
    bench.x.Click(kClose.x, kClose.y);
    start.ended = wait.Until([&] { return !program->Running(); }, milliseconds(30000));
    program.reset();
    start.left = CountKeptItems(user.KeptListFile());
    return start;
}

} // namespace

void MeasureBulkRemove(BenchContext& bench) {
    for (const Renderer& renderer : bench.renderers) {
        double worst = 0;
        int left = 0;
        std::string each;
        for (int number = 1; number <= kRemoveStarts; ++number) {
            const RemoveInOneStart start = SelectAllAndRemove(bench, renderer);
            std::printf(
                "select all + remove of %d items [%s], start %d: the window did not answer "
                "for %.0f ms (select all) and %.0f ms (remove), longest %.0f ms; %d "
                "question(s) answered; %d items left kept%s\n",
                kFullList, renderer.name.c_str(), number, start.select_ms, start.remove_ms,
                start.LongestMs(), start.questions, start.left,
                start.ended ? "" : " (the program did not end at Close and was killed)");
            std::fflush(stdout);
            worst = std::max(worst, start.LongestMs());
            left = std::max(left, start.left);
            each += Format("%s%.0f", each.empty() ? "" : ", ", start.LongestMs());
        }
        std::printf(
            "select all + remove of %d items [%s]: longest block in each of %d starts: "
            "%s ms; worst %.0f ms (target < 100 ms in every start)\n",
            kFullList, renderer.name.c_str(), kRemoveStarts, each.c_str(), worst);
        bench.summary.Add(Under(renderer, Format("Select all + Remove of %d items, worst of %d "
                                                 "starts",
                                                 kFullList, kRemoveStarts)),
                          Format("%.0f ms (%d left)", worst, left), "< 100 ms in every start",
                          VerdictOf(worst < 100 && left == 0));
    }
}

} // namespace tarnwick::bench
