#include "driver/run_harness.h"
#include "support/kept_files.h"

#include <gmock/gmock.h>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

namespace tarnwick::driver {
namespace {

using fakes::FakeReply;
using list::ItemState;

using RunTest = RunHarness;

TEST_F(RunTest, DownloadsEachWaitingItemInOrderAndEndsByItself) {
    const list::ItemKey done = AddVideo("done");
    queue.Modify(done, [](list::DownloadItem& i) { i.state = ItemState::kComplete; });
    const list::ItemKey first = AddVideo("first", VideoReply("first video"));
    const list::ItemKey failed = AddVideo("failed");
    queue.Modify(failed, [](list::DownloadItem& i) { i.state = ItemState::kFailed; });
    const list::ItemKey second = AddVideo("second", VideoReply("second video"));

    run.Start();
    Settle();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Complete", "Complete", "ERROR", "Complete"}));
    EXPECT_EQ(Name(first), "first.flv");
    EXPECT_EQ(Item(first).total_size, 11);
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("first.flv")), "first video");
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("second.flv")), "second video");
    EXPECT_EQ(Requests(PageOf("done")) + Requests(PageOf("failed")), 0) << "finished items stay";
    EXPECT_EQ(http.Urls(),
              (std::vector<std::string>{PageOf("first"), LinkOf("first"), LinkOf("first"),
                                        PageOf("second"), LinkOf("second"), LinkOf("second")}));
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(runs_ended, 1);
    EXPECT_EQ(clock.ActiveTimers(), 0);
    (void)second;
}

struct OutcomeCase {
    const char* name;
    std::function<void(RunHarness&)> serve; // changes the routes of item "v"
    std::string status;
    std::string file_name;
    std::string size;
    std::optional<Failure> failure;
    bool file_written;
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.name; }

class OutcomeTest : public RunHarness, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(OutcomeTest, TheStepsThemselvesDecide) {
    const OutcomeCase& c = GetParam();
    const list::ItemKey key = AddVideo("v");
    c.serve(*this);
    run.Start();
    Settle();
    EXPECT_EQ(Status(key), c.status);
    EXPECT_EQ(Name(key), c.file_name);
    EXPECT_EQ(list::SizeText(Item(key)), c.size);
    EXPECT_EQ(Item(key).rare->failure, c.failure);
    EXPECT_EQ(std::filesystem::exists(VideoPath("v.flv")), c.file_written);
    EXPECT_FALSE(run.IsRunning());
}

FakeReply Reply(int status, std::string headers = "", std::string body = "video-bytes") {
    return {status, std::move(headers), std::move(body)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutcomeTest,
    testing::Values(
        OutcomeCase{"ProbeWithoutAnswerThenGoodTransfer",
                    [](RunHarness& h) {
                        h.http.RouteHead(h.LinkOf("v"), FakeReply::Of(FakeReply::Kind::kNoAnswer));
                    },
                    "Complete", "v.flv", "11 Bytes", std::nullopt, true},
        OutcomeCase{"ProbeRefusedWith405ThenGoodTransfer",
                    [](RunHarness& h) { h.http.RouteHead(h.LinkOf("v"), Reply(405, "", "")); },
                    "Complete", "v.flv", "11 Bytes", std::nullopt, true},
        OutcomeCase{"ServerKnowsTheFileButNotItsLength",
                    [](RunHarness& h) {
                        FakeReply video = Reply(200);
                        video.with_length = false;
                        h.http.Route(h.LinkOf("v"), video);
                        h.http.RouteHead(h.LinkOf("v"), video);
                    },
                    "Complete", "v.flv", "11 Bytes", std::nullopt, true},
        OutcomeCase{"VideoAnswers404",
                    [](RunHarness& h) { h.http.Route(h.LinkOf("v"), Reply(404)); }, "ERROR",
                    "v.flv", "", Failure{Reason::kVideoNotFound, 404, {}}, false},
        OutcomeCase{"VideoAnswers503",
                    [](RunHarness& h) { h.http.Route(h.LinkOf("v"), Reply(503)); }, "ERROR",
                    "v.flv", "", Failure{Reason::kErrorAnswer, 503, {}}, false},
        OutcomeCase{"VideoIsAWebPage",
                    [](RunHarness& h) {
                        const FakeReply page =
                            Reply(200, "Content-Type: text/html\r\n", std::string(119, 'h'));
                        h.http.RouteHead(h.LinkOf("v"), page);
                        h.http.Route(h.LinkOf("v"), page);
                    },
                    "ERROR", "v.flv", "", Failure{Reason::kHtmlInsteadOfVideo, 200, {}}, false},
        OutcomeCase{
            "VideoBreaksOff",
            [](RunHarness& h) {
                FakeReply cut{200, "Content-Length: 10\r\n", "part", FakeReply::Kind::kBreakOff};
                cut.with_length = false;
                h.http.Route(h.LinkOf("v"), cut);
            },
            "ERROR", "v.flv", "10 Bytes", Failure{Reason::kConnectionLost, 200, {}}, false},
        OutcomeCase{"ProbeLengthIsNoNumber",
                    [](RunHarness& h) {
                        FakeReply head = Reply(200, "Content-Length: many\r\n", "");
                        head.with_length = false;
                        h.http.RouteHead(h.LinkOf("v"), head);
                    },
                    "Complete", "v.flv", "11 Bytes", std::nullopt, true},
        OutcomeCase{
            "PageWithoutLink",
            [](RunHarness& h) { h.http.Route(h.PageOf("v"), FakeReply::Page("<p>nothing</p>")); },
            "ERROR", "Process failed.", "????", Failure{Reason::kNoLinkInPage, 200, {}}, false},
        OutcomeCase{"PageAnswers404",
                    [](RunHarness& h) { h.http.Route(h.PageOf("v"), Reply(404)); }, "ERROR",
                    "Process failed.", "", Failure{Reason::kPageNotFetched, 404, {}}, false},
        OutcomeCase{
            "ErrorPageWithALink",
            [](RunHarness& h) {
                h.http.Route(h.PageOf("v"), Reply(410, "", "<a href='" + h.LinkOf("v") + "'>"));
            },
            "ERROR", "Process failed.", "", Failure{Reason::kPageNotFetched, 410, {}}, false},
        OutcomeCase{"PageCannotBeReached",
                    [](RunHarness& h) {
                        h.http.Route(h.PageOf("v"), FakeReply::Of(FakeReply::Kind::kNoAnswer));
                    },
                    "ERROR", "Waiting (Auto Detect)", "????",
                    Failure{Reason::kPageNotFetched, 0, "Could not connect"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, AnAddressOfNoSupportedSiteFailsWithoutARequest) {
    list::AddVideoURL(queue, "http://example.org/clip");
    const list::ItemKey key = queue.LastKey();
    EXPECT_EQ(Status(key), "Link is not supported");
    EXPECT_EQ(Name(key), "ERROR");
    run.Start();
    Settle();
    EXPECT_EQ(Status(key), "ERROR");
    EXPECT_EQ(Name(key), "Un supported link");
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kUnsupportedSite);
    EXPECT_TRUE(http.exchanges.empty());
}

TEST_F(RunTest, ShowsThePagesProgressAgainstItsOwnLength) {
    const list::ItemKey key = AddVideo("v");
    http.Route(PageOf("v"), FakeReply::Of(FakeReply::Kind::kSilent));
    run.Start();
    EXPECT_EQ(Status(key), "Preperaing (0%)");
    http.Last().Answer(200, "Content-Length: 60\r\n");
    http.Last().Body(std::string(30, 'p'));
    EXPECT_EQ(Status(key), "Preperaing (50%)");
    http.Last().Body("<a href='" + LinkOf("v") + "'>");
    EXPECT_EQ(Status(key), "Preperaing...") << "past the page's announced length";
    http.Last().End();
    EXPECT_EQ(Status(key), "Start Downloading...");
}

TEST_F(RunTest, ShowsTheVideosProgressAsAPercentOrAsBytesSoFar) {
    const list::ItemKey sized = AddVideo("sized", FakeReply::Of(FakeReply::Kind::kSilent));
    run.Start();
    Settle();
    EXPECT_EQ(Status(sized), "Start Downloading...");
    http.Last().Answer(200, "Content-Length: 5000\r\n");
    http.Last().Body(std::string(2048, 'x'));
    EXPECT_EQ(Status(sized), "41");
    EXPECT_EQ(list::ProgressPercent(Item(sized)), 41);
    http.Last().Body(std::string(2952, 'x'));
    http.Last().End();
    Settle();
    EXPECT_EQ(Status(sized), "Complete");

    const list::ItemKey unsized = AddVideo("unsized", FakeReply::Of(FakeReply::Kind::kSilent));
    FakeReply head = Reply(200, "", "");
    head.with_length = false;
    http.RouteHead(LinkOf("unsized"), head);
    run.Start();
    Settle();
    http.Last().Answer(200);
    http.Last().Body(std::string(2048, 'x'));
    EXPECT_EQ(Status(unsized), "2 KBso far..");
    EXPECT_EQ(list::ProgressPercent(Item(unsized)), std::nullopt);
}

struct StopCase {
    const char* name;
    std::function<void(RunHarness&)> reach; // brings the run into the step
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }

class StopTest : public RunHarness, public testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, EndsTheStepAtOnce) {
    const list::ItemKey key = AddVideo("v", FakeReply::Of(FakeReply::Kind::kSilent));
    const list::ItemKey next = AddVideo("next");
    run.Start();
    GetParam().reach(*this);
    const auto& exchange = http.exchanges.back();
    ASSERT_TRUE(exchange->IsOpen());

    run.Stop();
    EXPECT_TRUE(exchange->WasGivenUp()) << "the connection is closed at once";
    EXPECT_THAT(Status(key), testing::StartsWith("Cancelled"));
    EXPECT_EQ(Status(next), "Waiting");
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(clock.ActiveTimers(), 0);
    Settle();
    EXPECT_EQ(Status(next), "Waiting");
    EXPECT_EQ(runs_ended, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, StopTest,
    testing::Values(StopCase{"PageFetchWithoutAnswer",
                             [](RunHarness& h) {
                                 h.http.Route(h.PageOf("v"),
                                              FakeReply::Of(FakeReply::Kind::kSilent));
                                 h.Settle();
                             }},
                    StopCase{"ProbeWithoutAnswer",
                             [](RunHarness& h) {
                                 h.http.RouteHead(h.LinkOf("v"),
                                                  FakeReply::Of(FakeReply::Kind::kSilent));
                                 h.Settle();
                             }},
                    StopCase{"WaitingForTheFirstByte", [](RunHarness& h) { h.Settle(); }},
                    StopCase{"TricklingServer",
                             [](RunHarness& h) {
                                 h.Settle();
                                 h.http.Last().Answer(200, "Content-Length: 1000\r\n");
                                 for (int second = 0; second < 30; ++second) {
                                     h.clock.Advance(std::chrono::seconds(1));
                                     h.http.Last().Body("x");
                                 }
                             }},
                    StopCase{"TransferAtFullSpeed",
                             [](RunHarness& h) {
                                 h.Settle();
                                 h.http.Last().Answer(200, "Content-Length: 100000000\r\n");
                                 for (int i = 0; i < 100; ++i)
                                     h.http.Last().Body(std::string(65536, 'x'));
                             }}),
    [](const auto& info) { return std::string(info.param.name); });

// The states an item is shown in, one entry for each change of state.
class StateTrail : public list::QueueObserver {
public:
    explicit StateTrail(list::DownloadQueue& queue) : queue_(queue) { queue_.AddObserver(this); }
    ~StateTrail() override { queue_.RemoveObserver(this); }
    StateTrail(const StateTrail&) = delete;
    StateTrail& operator=(const StateTrail&) = delete;

    void OnChanged(int position, unsigned fields) override {
        (void)fields;
        const list::DownloadItem& item = queue_.At(position);
        std::vector<ItemState>& states = trails[item.key];
        if (states.empty() || states.back() != item.state) states.push_back(item.state);
    }

    std::map<list::ItemKey, std::vector<ItemState>> trails;

private:
    list::DownloadQueue& queue_;
};

struct TrailCase {
    const char* name;
    std::function<list::ItemKey(RunHarness&)> play; // lists one item and runs it to its end
    std::vector<ItemState> trail;
};

void PrintTo(const TrailCase& c, std::ostream* out) { *out << c.name; }

class TrailTest : public RunHarness, public testing::WithParamInterface<TrailCase> {
public:
    StateTrail trail{queue};
};

TEST_P(TrailTest, TheItemShowsEachStepItReachedOnceAndInOrder) {
    const list::ItemKey key = GetParam().play(*this);
    EXPECT_EQ(trail.trails[key], GetParam().trail);
}

// Runs item "v" once `serve` changed its routes; `stop` stops it once settled.
list::ItemKey Play(RunHarness& h, const std::function<void(RunHarness&)>& serve,
                   bool stop = false) {
    const list::ItemKey key = h.AddVideo("v");
    serve(h);
    h.run.Start();
    h.Settle();
    if (stop) h.run.Stop();
    return key;
}

constexpr auto kAsServed = [](RunHarness&) {};

INSTANTIATE_TEST_SUITE_P(
    Paths, TrailTest,
    testing::Values(TrailCase{"Downloaded",
                              [](RunHarness& h) { return Play(h, kAsServed); },
                              {ItemState::kPreparing, ItemState::kStarting, ItemState::kDownloading,
                               ItemState::kComplete}},
                    TrailCase{"UnsupportedAddress",
                              [](RunHarness& h) {
                                  list::AddVideoURL(h.queue, "http://example.org/clip");
                                  h.run.Start();
                                  h.Settle();
                                  return h.queue.LastKey();
                              },
                              {ItemState::kPreparing, ItemState::kFailed}},
                    TrailCase{"PageAnswers404",
                              [](RunHarness& h) {
                                  return Play(h, [](RunHarness& r) {
                                      r.http.Route(r.PageOf("v"), Reply(404));
                                  });
                              },
                              {ItemState::kPreparing, ItemState::kFailed}},
                    TrailCase{"PageWithoutLink",
                              [](RunHarness& h) {
                                  return Play(h, [](RunHarness& r) {
                                      r.http.Route(r.PageOf("v"),
                                                   FakeReply::Page("<p>nothing</p>"));
                                  });
                              },
                              {ItemState::kPreparing, ItemState::kStarting, ItemState::kFailed}},
                    TrailCase{"StoppedWhileProbing",
                              [](RunHarness& h) {
                                  return Play(
                                      h,
                                      [](RunHarness& r) {
                                          r.http.RouteHead(r.LinkOf("v"),
                                                           FakeReply::Of(FakeReply::Kind::kSilent));
                                      },
                                      true);
                              },
                              {ItemState::kPreparing, ItemState::kStarting, ItemState::kCancelled}},
                    TrailCase{"VideoAnswers404",
                              [](RunHarness& h) {
                                  return Play(h, [](RunHarness& r) {
                                      r.http.Route(r.LinkOf("v"), Reply(404));
                                  });
                              },
                              {ItemState::kPreparing, ItemState::kStarting, ItemState::kFailed}},
                    TrailCase{"VideoBreaksOff",
                              [](RunHarness& h) {
                                  return Play(h, [](RunHarness& r) {
                                      FakeReply cut{200, "Content-Length: 10\r\n", "part",
                                                    FakeReply::Kind::kBreakOff};
                                      cut.with_length = false;
                                      r.http.Route(r.LinkOf("v"), cut);
                                  });
                              },
                              {ItemState::kPreparing, ItemState::kStarting, ItemState::kDownloading,
                               ItemState::kFailed}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, AStopWhileHeldBetweenTwoItemsLeavesTheNextWaiting) {
    const list::ItemKey first = AddVideo("first");
    const list::ItemKey second = AddVideo("second");
    http.Route(LinkOf("first"), FakeReply::Of(FakeReply::Kind::kHoldBody));
    run.Start();
    Settle();
    run.Hold(); // the stop question opens
    http.Last().End();
    Settle();
    EXPECT_EQ(Status(first), "Complete");
    EXPECT_EQ(Status(second), "Waiting") << "no new item while the question is open";
    run.Stop(); // Yes
    EXPECT_EQ(Status(first), "Complete");
    EXPECT_EQ(Status(second), "Waiting");

    run.Start();
    run.Hold();
    run.Release(); // No: the run goes on
    Settle();
    EXPECT_EQ(Status(second), "Complete");
}

TEST_F(RunTest, ProcessesItemsAddedDuringTheRun) {
    const list::ItemKey first = AddVideo("first", FakeReply::Of(FakeReply::Kind::kHoldBody));
    run.Start();
    Settle();
    const list::ItemKey added = AddVideo("added");
    http.Last().End();
    Settle();
    EXPECT_EQ(Status(first), "Complete");
    EXPECT_EQ(Status(added), "Complete");
    EXPECT_EQ(runs_ended, 1);
}

TEST_F(RunTest, AFailedItemPutBackDuringTheRunIsTakenAgain) {
    const list::ItemKey failed = AddVideo("failed", FakeReply::Status(404));
    const list::ItemKey held = AddVideo("held", FakeReply::Of(FakeReply::Kind::kHoldBody));
    run.Start();
    Settle();
    ASSERT_EQ(Status(failed), "ERROR");
    http.Route(LinkOf("failed"), VideoReply());
    queue.Modify(failed, [](list::DownloadItem& item) {
        item.state = list::ItemState::kWaiting;
        item.rare->failure.reset();
    });
    http.Last().End();
    Settle();
    EXPECT_EQ(Status(held), "Complete");
    EXPECT_EQ(Status(failed), "Complete");
    EXPECT_EQ(runs_ended, 1);
}

TEST_F(RunTest, RemovingTheRunningItemCancelsItAndTheRunGoesOn) {
    const list::ItemKey first = AddVideo("first", FakeReply::Of(FakeReply::Kind::kHoldBody));
    const list::ItemKey second = AddVideo("second");
    run.Start();
    Settle();
    const auto& transfer = http.exchanges.back();
    queue.Remove(first);
    EXPECT_TRUE(transfer->WasGivenUp());
    Settle();
    EXPECT_EQ(Status(second), "Complete");
    EXPECT_EQ(queue.Count(), 1);
}

TEST_F(RunTest, ItemsMovedDuringTheRunAreEachProcessedOnce) {
    const list::ItemKey a = AddVideo("a", FakeReply::Of(FakeReply::Kind::kHoldBody));
    const list::ItemKey b = AddVideo("b");
    const list::ItemKey c = AddVideo("c");
    run.Start();
    Settle();
    // c goes above the running item, and the running item below b.
    queue.MoveUp(c);
    queue.MoveUp(c);
    queue.MoveDown(a);
    http.exchanges.back()->End();
    Settle();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Complete", "Complete", "Complete"}));
    for (const char* id : {"a", "b", "c"}) EXPECT_EQ(Requests(PageOf(id)), 1) << id;
    (void)b;
}

TEST_F(RunTest, ClearingCompletedItemsDuringTheRunSkipsNothing) {
    const list::ItemKey a = AddVideo("a");
    const list::ItemKey b = AddVideo("b", FakeReply::Of(FakeReply::Kind::kHoldBody));
    const list::ItemKey c = AddVideo("c");
    run.Start();
    Settle();
    ASSERT_EQ(Status(a), "Complete");
    queue.Remove(a); // cleared while b transfers
    http.exchanges.back()->End();
    Settle();
    EXPECT_EQ(Status(b), "Complete");
    EXPECT_EQ(Status(c), "Complete");
    EXPECT_EQ(Requests(PageOf("c")), 1);
}

TEST_F(RunTest, ALaterRunSkipsFinishedItemsAndRetriesCancelledOnes) {
    const list::ItemKey a = AddVideo("a");
    const list::ItemKey b = AddVideo("b", FakeReply::Of(FakeReply::Kind::kSilent));
    run.Start();
    Settle();
    run.Stop();
    EXPECT_EQ(Status(b), "Cancelled");
    http.Route(LinkOf("b"), VideoReply());
    run.Start();
    Settle();
    EXPECT_EQ(Status(a), "Complete");
    EXPECT_EQ(Status(b), "Complete");
    EXPECT_EQ(Requests(PageOf("a")), 1);
    EXPECT_EQ(Requests(PageOf("b")), 2);
}

TEST_F(RunTest, ARunOfWaitingItemsLeavesWhatTheUserStoppedStopped) {
    const list::ItemKey stopped = AddVideo("stopped", FakeReply::Of(FakeReply::Kind::kSilent));
    run.Start();
    Settle();
    run.Stop();
    ASSERT_EQ(Status(stopped), "Cancelled");
    const list::ItemKey copied = AddVideo("copied");
    run.Start(RunScope::kWaiting);
    Settle();
    EXPECT_EQ(Status(copied), "Complete");
    EXPECT_EQ(Status(stopped), "Cancelled");
    EXPECT_EQ(Requests(PageOf("stopped")), 1);
}

struct LimitCase {
    const char* name;
    std::function<void(RunHarness&)> reach;
    platform::Duration left; // until the limit passes
    Reason reason;
};

void PrintTo(const LimitCase& c, std::ostream* out) { *out << c.name; }

class TimeLimitTest : public RunHarness, public testing::WithParamInterface<LimitCase> {};

TEST_P(TimeLimitTest, EndsTheStepWithItsOwnReason) {
    const list::ItemKey key = AddVideo("v", FakeReply::Of(FakeReply::Kind::kSilent));
    run.Start();
    GetParam().reach(*this);
    const auto& exchange = http.exchanges.back();
    clock.Advance(GetParam().left - std::chrono::milliseconds(1));
    EXPECT_TRUE(exchange->IsOpen());
    clock.Advance(std::chrono::milliseconds(1));
    EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(Status(key), "ERROR");
    EXPECT_EQ(Item(key).rare->failure->reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TimeLimitTest,
    testing::Values(LimitCase{"PageNeverAnswers",
                              [](RunHarness& h) {
                                  h.http.Route(h.PageOf("v"),
                                               FakeReply::Of(FakeReply::Kind::kSilent));
                                  h.Settle();
                              },
                              std::chrono::seconds(30), Reason::kOpenTimeout},
                    LimitCase{"VideoStallsAfterSomeBytes",
                              [](RunHarness& h) {
                                  h.Settle();
                                  h.http.Last().Answer(200, "Content-Length: 100\r\n");
                                  // Bytes keep the limit away.
                                  for (int minute = 0; minute < 5; ++minute) {
                                      h.clock.Advance(std::chrono::seconds(59));
                                      h.http.Last().Body("x");
                                  }
                              },
                              std::chrono::seconds(60), Reason::kStallTimeout}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, EachProbeStartsFromKnowingNothing) {
    const list::ItemKey first = AddVideo("first");
    http.RouteHead(LinkOf("first"), Reply(200, "Content-Length: 5000\r\n", ""));
    FakeReply unsized = VideoReply();
    unsized.with_length = false;
    const list::ItemKey second = AddVideo("second", unsized);
    http.RouteHead(LinkOf("second"), FakeReply::Of(FakeReply::Kind::kNoAnswer));
    run.Start();
    Settle();
    EXPECT_EQ(Status(second), "Complete");
    EXPECT_EQ(list::SizeText(Item(second)), "11 Bytes") << "what was written, no size carried over";
    (void)first;
}

TEST_F(RunTest, AVideoThatCameCodedKeepsNoSizeAndIsAskedForWholeNextTime) {
    // The probe's answer is not coded and tells a size; the video's is coded.
    const list::ItemKey key = AddVideo("v", {200, "Content-Encoding: gzip\r\nETag: \"v1\"\r\n",
                                             "decoded part", FakeReply::Kind::kBreakOff});
    run.Start();
    Settle();
    ASSERT_EQ(Item(key).rare->failure->reason, Reason::kConnectionLost);
    ASSERT_GT(test_support::KeptBytes(Item(key)), 0);
    EXPECT_NE(Item(key).size_kind, list::SizeKind::kKnown);
    EXPECT_EQ(std::get<transfer::KeptWhole>(*Item(key).rare->kept).validator, "");

    http.Route(LinkOf("v"), VideoReply());
    queue.Modify(key, [](list::DownloadItem& item) { item.state = list::ItemState::kWaiting; });
    run.Start();
    Settle();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_TRUE(http.Last().request.headers.empty()) << "no range of coded bytes";
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("v.flv")), "video-bytes");
}

using Reach = platform::HttpRequest::Reach;

struct ReachCase {
    const char* name;
    std::function<void(RunHarness&)> serve; // changes the routes of item "v"
    // Where the page's, the probe's and the video's requests may go.
    std::vector<Reach> reaches;
    std::optional<Failure> failure;
};

void PrintTo(const ReachCase& c, std::ostream* out) { *out << c.name; }

class ReachTest : public RunHarness, public testing::WithParamInterface<ReachCase> {};

TEST_P(ReachTest, OnceAnAnswerCameFromAPublicAddressTheRestMustStayPublic) {
    const list::ItemKey key = AddVideo("v");
    GetParam().serve(*this);
    run.Start();
    Settle();
    std::vector<Reach> reaches;
    for (const auto& exchange : http.exchanges) reaches.push_back(exchange->request.reach);
    EXPECT_EQ(reaches, GetParam().reaches);
    EXPECT_EQ(Item(key).rare->failure, GetParam().failure);
    EXPECT_EQ(std::filesystem::exists(VideoPath("v.flv")), !GetParam().failure);
}

// `reply` as it comes from a public address.
FakeReply FromPublic(FakeReply reply) {
    reply.from_public = true;
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReachTest,
    testing::Values(
        ReachCase{"APublicPageKeepsItsLinkPublic",
                  [](RunHarness& h) {
                      h.http.Route(h.PageOf("v"),
                                   FromPublic(FakeReply::Page("<a href='" + h.LinkOf("v") + "'>")));
                  },
                  {Reach::kFirstDecides, Reach::kPublicOnly, Reach::kPublicOnly},
                  std::nullopt},
        ReachCase{"ALocalPageLeavesItToTheLink",
                  [](RunHarness&) {},
                  {Reach::kFirstDecides, Reach::kFirstDecides, Reach::kFirstDecides},
                  std::nullopt},
        ReachCase{"APublicProbeKeepsTheVideoPublic",
                  [](RunHarness& h) {
                      h.http.RouteHead(h.LinkOf("v"), FromPublic(FakeReply::Page("video-bytes")));
                  },
                  {Reach::kFirstDecides, Reach::kFirstDecides, Reach::kPublicOnly},
                  std::nullopt},
        ReachCase{"ARefusedVideoEndsTheItem",
                  [](RunHarness& h) {
                      h.http.Route(h.PageOf("v"),
                                   FromPublic(FakeReply::Page("<a href='" + h.LinkOf("v") + "'>")));
                      h.http.Route(h.LinkOf("v"), {0, "", "127.0.0.1", FakeReply::Kind::kRefused});
                  },
                  {Reach::kFirstDecides, Reach::kPublicOnly, Reach::kPublicOnly},
                  Failure{Reason::kPrivateAddress, 0, "127.0.0.1"}},
        ReachCase{"ARefusedPageEndsTheItem",
                  [](RunHarness& h) {
                      h.http.Route(h.PageOf("v"), {0, "", "10.0.0.1", FakeReply::Kind::kRefused});
                  },
                  {Reach::kFirstDecides},
                  Failure{Reason::kPrivateAddress, 0, "10.0.0.1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, KeepsATypedNameAndNumbersADerivedNameThatIsTaken) {
    const list::ItemKey typed = AddVideo("typed");
    queue.Rename(typed, "mine.flv");
    const list::ItemKey first = AddVideo("clip");
    http.Route(PageOf("other"), FakeReply::Page("<a href='http://other.example/v/clip.flv'>"));
    http.Route("http://other.example/v/clip.flv", VideoReply("other clip"));
    list::AddVideoURL(queue, PageOf("other"));
    const list::ItemKey second = queue.LastKey();
    run.Start();
    Settle();
    EXPECT_EQ(Name(typed), "mine.flv");
    EXPECT_EQ(Name(first), "clip.flv");
    EXPECT_EQ(Name(second), "clip (2).flv");
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("clip (2).flv")), "other clip");
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("mine.flv")), "video-bytes");
}

// A page reader whose parser fails as soon as it is fed.
class FailingParsers : public platform::HtmlParserFactory {
    struct Failing : platform::HtmlParser {
        void Feed(const char*, size_t) noexcept override {}
        Status Finish() noexcept override { return Failure{Reason::kNoLinkInPage, 0, "no memory"}; }
    };

public:
    std::unique_ptr<platform::HtmlParser> NewParser(platform::HtmlHandler&) override {
        return std::make_unique<Failing>();
    }
};

TEST_F(RunTest, AFailingPageReaderEndsItsItemAndNothingElse) {
    FailingParsers parsers;
    JobServices general = services;
    general.html_parsers = &parsers;
    general.reads_other_sites = [] { return true; };
    DownloadRun general_run(general);
    const std::string page = "http://news.example/story";
    http.Route(page, fakes::FakeReply::Page("<video src=a.mp4>"));
    http.RouteHead(page, fakes::FakeReply::Page("<video src=a.mp4>"));
    list::AddVideoURL(queue, page, true);
    const list::ItemKey key = queue.LastKey();
    general_run.Start();
    Settle();
    EXPECT_FALSE(general_run.IsRunning());
    EXPECT_EQ(Status(key), "ERROR");
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kNoLinkInPage);
}

// Runs with several items at once, whose videos are held open until ended.
class AtOnceTest : public RunHarness {
protected:
    list::ItemKey AddHeld(const std::string& id) {
        return AddVideo(id, FakeReply::Of(FakeReply::Kind::kHoldBody));
    }
    // Ends the held video of item `id`, and lets what follows happen.
    void EndVideo(const std::string& id) {
        for (const auto& exchange : http.exchanges) {
            if (exchange->IsOpen() && exchange->request.url == LinkOf(id)) exchange->End();
        }
        Settle();
    }
    // Ends every held video until the run ends by itself.
    void EndAll() {
        for (int round = 0; round < 20 && run.IsRunning(); ++round) {
            for (const auto& exchange : http.exchanges) {
                if (exchange->IsOpen()) exchange->End();
            }
            Settle();
        }
    }
    void ExpectEachDownloadedOnce(const std::vector<std::string>& ids) {
        for (const std::string& id : ids) EXPECT_EQ(Requests(PageOf(id)), 1) << id;
        for (const std::string& text : Statuses()) EXPECT_EQ(text, "Complete");
        EXPECT_FALSE(run.IsRunning());
        EXPECT_EQ(runs_ended, 1);
        EXPECT_EQ(clock.ActiveTimers(), 0);
    }
};

class AtOnceCountTest : public AtOnceTest, public testing::WithParamInterface<int> {};

TEST_P(AtOnceCountTest, StartsTheFirstRunnableItemsTogetherAndTheNextAsOneEnds) {
    at_once = GetParam();
    const list::ItemKey done = AddVideo("done");
    queue.Modify(done, [](list::DownloadItem& i) { i.state = ItemState::kComplete; });
    std::vector<list::ItemKey> keys;
    std::vector<std::string> ids;
    for (int n = 0; n < 6; ++n) {
        ids.push_back(std::to_string(n));
        keys.push_back(AddHeld(ids.back()));
    }
    run.Start();
    Settle();
    const std::vector<list::ItemKey> first(keys.begin(), keys.begin() + at_once);
    EXPECT_EQ(run.ItemsUnderWay(), first);
    EXPECT_EQ(run.CurrentItem(), keys[0]);
    EXPECT_EQ(Status(keys[at_once]), "Waiting");

    EndVideo("1");
    std::vector<list::ItemKey> after = first;
    after.erase(after.begin() + 1);
    after.push_back(keys[at_once]);
    EXPECT_EQ(run.ItemsUnderWay(), after) << "the next in list order takes the free place";

    EndAll();
    EXPECT_EQ(Requests(PageOf("done")), 0);
    ExpectEachDownloadedOnce(ids);
}

INSTANTIATE_TEST_SUITE_P(TwoAndFour, AtOnceCountTest, testing::Values(2, 4));

TEST_F(AtOnceTest, EditsDuringTheRunTakeEachItemOnce) {
    at_once = 2;
    const list::ItemKey a = AddVideo("a", FakeReply::Status(404));
    const list::ItemKey b = AddHeld("b");
    const list::ItemKey c = AddHeld("c");
    const list::ItemKey d = AddHeld("d");
    const list::ItemKey e = AddHeld("e");
    run.Start();
    Settle();
    ASSERT_EQ(Status(a), "ERROR");
    ASSERT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{b, c}));

    // One under way leaves the list; another goes below the rest.
    fakes::FakeHttp::Exchange* b_video = nullptr;
    for (const auto& exchange : http.exchanges) {
        if (exchange->IsOpen() && exchange->request.url == LinkOf("b")) b_video = exchange.get();
    }
    ASSERT_NE(b_video, nullptr);
    queue.Remove(b);
    queue.MoveDown(c);
    queue.MoveDown(c);
    queue.MoveDown(c);
    // A new item before the scan, and the failed one put back.
    const list::ItemKey f = AddVideo("f");
    list::DownloadItem f_item = Item(f);
    queue.Remove(f);
    queue.InsertMany({{0, f_item}});
    http.Route(LinkOf("a"), VideoReply());
    queue.Modify(a, [](list::DownloadItem& i) {
        i.state = ItemState::kWaiting;
        i.rare->failure.reset();
    });
    Settle();
    EXPECT_TRUE(b_video->WasGivenUp());
    EXPECT_EQ(queue.Count(), 5);
    EXPECT_EQ(Status(queue.At(0).key), "Complete") << "f, inserted before the scan";
    EXPECT_EQ(Status(a), "Complete") << "retried";
    EXPECT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{d, c}));

    EndAll();
    EXPECT_EQ(Requests(PageOf("a")), 2);
    EXPECT_EQ(Requests(PageOf("b")), 1);
    ExpectEachDownloadedOnce({"c", "d", "e", "f"});
}

TEST_F(AtOnceTest, ALowerNumberLetsTheItemsUnderWayFinishAndAFreePlaceIsTakenAtOnce) {
    at_once = 3;
    const list::ItemKey failed = AddVideo("f", FakeReply::Status(404));
    std::vector<list::ItemKey> keys;
    for (const char* id : {"0", "1", "2", "3", "4"}) keys.push_back(AddHeld(id));
    run.Start();
    Settle();
    ASSERT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{keys[0], keys[1], keys[2]}));

    at_once = 1;
    EndVideo("0");
    EXPECT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{keys[1], keys[2]}));
    EndVideo("1");
    EXPECT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{keys[2]}));
    EndVideo("2");
    EXPECT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{keys[3]}));

    at_once = 4;
    run.AtOnceChanged();
    Settle();
    EXPECT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{keys[3], keys[4]}));
    const list::ItemKey added = AddHeld("5");
    Settle();
    EXPECT_EQ(run.ItemsUnderWay(), (std::vector<list::ItemKey>{keys[3], keys[4], added}))
        << "an item added while a place is free starts at once";
    http.Route(LinkOf("f"), VideoReply());
    queue.Modify(failed, [](list::DownloadItem& i) { i.state = ItemState::kWaiting; });
    Settle();
    EXPECT_EQ(Status(failed), "Complete") << "and so does one put back";
    EXPECT_EQ(Requests(PageOf("f")), 2);
    EndAll();
    ExpectEachDownloadedOnce({"0", "1", "2", "3", "4", "5"});
}

TEST_F(AtOnceTest, StopCancelsEveryItemUnderWayAtOnce) {
    at_once = 4;
    std::vector<list::ItemKey> keys;
    for (const char* id : {"0", "1", "2", "3", "4"}) keys.push_back(AddHeld(id));
    run.Start();
    Settle();
    run.Stop();
    const auto cancelled = testing::StartsWith("Cancelled");
    EXPECT_THAT(Statuses(),
                testing::ElementsAre(cancelled, cancelled, cancelled, cancelled, "Waiting"));
    EXPECT_EQ(http.OpenCount(), 0) << "every connection is closed";
    EXPECT_TRUE(run.ItemsUnderWay().empty());
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(clock.ActiveTimers(), 0);
    Settle();
    EXPECT_EQ(Status(keys[4]), "Waiting");
    EXPECT_EQ(runs_ended, 0);
}

// A run that finds the next items' videos while others download.
class AheadTest : public AtOnceTest {
protected:
    static JobServices Ahead(JobServices services) {
        services.resolve_ahead = true;
        return services;
    }
    int HeadsOf(const std::string& id) {
        int count = 0;
        for (const auto& exchange : http.exchanges) {
            const auto& request = exchange->request;
            count +=
                request.url == LinkOf(id) && request.method == platform::HttpRequest::Method::kHead;
        }
        return count;
    }
    int GetsOf(const std::string& id) { return Requests(LinkOf(id)) - HeadsOf(id); }

    DownloadRun ahead{Ahead(services)};
};

// Two more than at once are found ahead; they wait, named, and each one's
// bytes are asked for as soon as its turn comes, its page read once.
TEST_F(AheadTest, TheNextItemsAreFoundWhileOneDownloadsAndStayWaitingWithTheirNames) {
    std::vector<list::ItemKey> keys;
    for (const char* id : {"0", "1", "2", "3", "4"}) keys.push_back(AddHeld(id));
    ahead.Start();
    Settle();
    EXPECT_THAT(Statuses(),
                testing::ElementsAre(testing::_, "Waiting", "Waiting", "Waiting", "Waiting"));
    for (const char* id : {"1", "2", "3"}) {
        EXPECT_EQ(Requests(PageOf(id)), 1) << id;
        EXPECT_EQ(GetsOf(id), 0) << id;
    }
    EXPECT_EQ(Name(keys[1]), "1.flv");
    EXPECT_EQ(Requests(PageOf("4")), 0) << "no further than two more than at once";

    for (const char* id : {"0", "1", "2", "3"}) EndVideo(id);
    for (const char* id : {"0", "1", "2", "3"}) EXPECT_EQ(Requests(PageOf(id)), 1) << id;
    EXPECT_EQ(Status(keys[3]), "Complete");
    EndVideo("4");
    EXPECT_FALSE(ahead.IsRunning());
    EXPECT_THAT(Statuses(), testing::Each("Complete"));
}

// What was found ahead and failed shows only at the item's turn; a video
// found ten minutes before is found again; Stop ends what is found ahead.
TEST_F(AheadTest, FailuresWaitForTheirTurnOldFindsAreRenewedAndStopEndsTheRest) {
    const list::ItemKey first = AddHeld("first");
    const list::ItemKey gone = AddVideo("gone", FakeReply::Status(404));
    http.Route(PageOf("gone"), FakeReply::Status(404));
    const list::ItemKey late = AddHeld("late");
    ahead.Start();
    Settle();
    EXPECT_EQ(Status(gone), "Waiting");
    EXPECT_EQ(Requests(PageOf("late")), 1);

    // The next turns come long after they were found.
    ahead.Hold();
    EndVideo("first");
    clock.Advance(std::chrono::minutes(11));
    ahead.Release();
    Settle();
    EXPECT_EQ(Status(first), "Complete");
    EXPECT_EQ(Status(gone), "ERROR");
    EXPECT_EQ(Requests(PageOf("gone")), 2) << "found ahead, then at its turn";
    EXPECT_EQ(Requests(PageOf("late")), 2) << "found again: links expire";
    ahead.Stop();
    EXPECT_EQ(http.OpenCount(), 0);
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

TEST_F(AheadTest, StopEndsTheFindingAheadAndLeavesItsItemsWaiting) {
    at_once = 1;
    AddHeld("0");
    http.Route(PageOf("1"), FakeReply::Of(FakeReply::Kind::kSilent));
    const list::ItemKey silent = AddVideo("1");
    http.Route(PageOf("1"), FakeReply::Of(FakeReply::Kind::kSilent));
    ahead.Start();
    Settle();
    ASSERT_EQ(Requests(PageOf("1")), 1);
    ahead.Stop();
    EXPECT_EQ(http.OpenCount(), 0) << "the page found ahead is given up too";
    EXPECT_EQ(Status(silent), "Waiting");
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

} // namespace
} // namespace tarnwick::driver
