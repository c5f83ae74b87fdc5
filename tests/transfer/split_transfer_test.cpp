// The connections of a file fetched in parts: what each asks for, where its
// bytes go, how a connection goes on when its part is whole, and how a
// refused or broken one leaves the rest to the others.
#include "transfer/split_transfer.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "split_serving.h"
#include "support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::transfer {
namespace {

using fakes::FakeHttp;
using platform::HttpEnd;
using test_support::AnswerRange;
using test_support::HoldsTheVideo;
using test_support::RangeFrom;
using test_support::SendVideo;

constexpr int64_t kPart = PartLayout::kLeastPart;
constexpr int64_t kMiB = 1024 * 1024;

PartLayout Even(int parts) {
    PartLayout layout = PartLayout::Whole(parts * kPart);
    layout.Split(0, parts);
    return layout;
}

PartLayout Parsed(const std::string& text, int64_t total) {
    return PartLayout::Read(text, total).value();
}

bool SameParts(const PartLayout& one, const PartLayout& other) {
    if (one.Count() != other.Count()) return false;
    for (size_t i = 0; i < one.Count(); ++i) {
        if (one[i].start != other[i].start || one[i].end != other[i].end) return false;
    }
    return true;
}

// One split transfer and what it told.
class WatchedSplit {
public:
    WatchedSplit(FakeHttp& http, fakes::FakeClock& clock, int descriptor, int connections,
                 ConnectionBudget* budget = nullptr, std::string link = "http://host/v.mp4")
        : http_(http),
          split(std::make_unique<SplitTransfer>(
              http, clock,
              SplitTransfer::Setup{std::move(link), platform::HttpRequest::Reach::kPublicOnly,
                                   test_support::kVideoTag, descriptor, connections, budget},
              SplitTransfer::Calls{[this] { OnLayout(); }, [this] { OnProgress(); },
                                   [this](Outcome end) { outcome = std::move(end); },
                                   [this] { ++refusals; }})) {}

    // Every byte that comes goes into a part the last layout call told of.
    void OnLayout() {
        ++layout_calls;
        told = split->Layout();
        requests_when_told = http_.exchanges.size();
    }
    void OnProgress() {
        EXPECT_TRUE(SameParts(split->Layout(), told))
            << "now " << split->Layout().Text() << ", told " << told.Text();
    }

    FakeHttp& http_;
    std::unique_ptr<SplitTransfer> split;
    std::optional<Outcome> outcome;
    int refusals = 0;
    int layout_calls = 0;
    PartLayout told;
    size_t requests_when_told = 0;
};

class SplitTransferTest : public testing::Test {
protected:
    SplitTransferTest() : descriptor(::open(Path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}
    ~SplitTransferTest() override {
        run.reset();
        ::close(descriptor);
    }

    std::string Path() const { return folder.File("v.part"); }
    WatchedSplit& Begin(PartLayout layout, int connections, ConnectionBudget* budget = nullptr) {
        total = layout.Total();
        run = std::make_unique<WatchedSplit>(http, clock, descriptor, connections, budget);
        run->split->Start(std::move(layout));
        return *run;
    }
    FakeHttp::Exchange& Exchange(size_t index) { return *http.exchanges.at(index); }
    void AnswerAll() {
        for (const auto& exchange : http.exchanges) {
            if (exchange->IsOpen()) AnswerRange(*exchange, total);
        }
    }
    // Sends the rest of each open exchange's part, one after another.
    void SendTheRest(size_t exchange, int64_t to) {
        const int64_t from = RangeFrom(Exchange(exchange));
        SendVideo(Exchange(exchange), from, to);
    }

    test_support::TempFolder folder;
    int descriptor;
    fakes::FakeClock clock;
    FakeHttp http;
    int64_t total = 0;
    std::unique_ptr<WatchedSplit> run;
};

TEST_F(SplitTransferTest, AsksForEachPartFromItsNextByteOfTheSameVersion) {
    Begin(Parsed("0-4194304=1000 4194304-8388608=0 8388608-12582912=0", 3 * kPart), 3);
    ASSERT_EQ(http.exchanges.size(), 3u);
    const std::vector<std::string> expected_from = {"1000", "4194304", "8388608"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Exchange(i).request.url, "http://host/v.mp4");
        EXPECT_EQ(Exchange(i).request.reach, platform::HttpRequest::Reach::kPublicOnly);
        EXPECT_EQ(Exchange(i).request.headers,
                  (std::vector<std::string>{"Range: bytes=" + expected_from[i] + "-",
                                            "If-Range: \"v1\""}));
    }
    EXPECT_EQ(run->layout_calls, 1) << "the layout is told before the first request";
    EXPECT_EQ(run->requests_when_told, 0u);
}

TEST_F(SplitTransferTest, WritesEachPartsBytesAtItsPlace) {
    WatchedSplit& watched = Begin(Even(4), 4);
    AnswerAll();
    // The connections take turns, in pieces that do not fit the parts.
    std::vector<int64_t> sent(4);
    for (size_t i = 0; i < 4; ++i) sent[i] = RangeFrom(Exchange(i));
    for (bool more = true; more;) {
        more = false;
        for (size_t i = 0; i < 4; ++i) {
            const int64_t end = static_cast<int64_t>(i + 1) * kPart;
            if (sent[i] == end) continue;
            sent[i] += SendVideo(Exchange(i), sent[i], std::min(end, sent[i] + 123'457));
            more = true;
        }
    }
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
    EXPECT_EQ(test_support::FileBytes(Path(), 0, total + 1).size(), static_cast<size_t>(total));
    EXPECT_TRUE(watched.split->Layout().IsComplete());
    EXPECT_EQ(watched.split->Received(), total);
    EXPECT_EQ(watched.split->Connections(), 0);
    EXPECT_EQ(http.OpenCount(), 0);
    EXPECT_FALSE(watched.split->FellBack());
}

TEST_F(SplitTransferTest, APartialAnswerThatNamesNoVersionIsOfTheOneAskedFor) {
    WatchedSplit& watched = Begin(Even(2), 2);
    AnswerRange(Exchange(0), total);
    // Sent because the If-Range matched, though without the ETag.
    Exchange(1).Answer(206, "Content-Range: bytes " + std::to_string(kPart) + "-" +
                                std::to_string(total - 1) + "/" + std::to_string(total) + "\r\n");
    SendTheRest(1, total);
    SendTheRest(0, kPart);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_FALSE(watched.split->FellBack());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitTransferTest, AConnectionAtItsPartsEndTakesOverTheUntouchedNextPart) {
    WatchedSplit& watched = Begin(Even(3), 2);
    ASSERT_EQ(http.exchanges.size(), 2u);
    AnswerAll();
    SendTheRest(1, 2 * kPart);
    EXPECT_TRUE(Exchange(1).IsOpen()) << "nobody began the part after it";
    const int calls_before = watched.layout_calls;
    SendVideo(Exchange(1), 2 * kPart, 2 * kPart + 1000);
    EXPECT_EQ(watched.layout_calls, calls_before + 1);
    EXPECT_EQ(watched.split->Layout().Text(), "0-4194304=0 4194304-12582912=4194304");
    // The first part's connection ends with its part: what is left of the
    // other is too small to halve.
    SendTheRest(0, kPart);
    EXPECT_FALSE(Exchange(0).IsOpen());
    EXPECT_EQ(http.exchanges.size(), 2u);
    SendVideo(Exchange(1), 2 * kPart + 1000, total);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitTransferTest, AConnectionWhoseNextPartIsTakenEndsWithItsOwn) {
    WatchedSplit& watched = Begin(Even(2), 2);
    AnswerAll();
    // The server sends on past the part's end: those bytes are the next part's.
    SendVideo(Exchange(0), 0, kPart + 5000, 1'000'003);
    EXPECT_FALSE(Exchange(0).IsOpen());
    EXPECT_EQ(watched.split->Layout()[1].done, 0);
    EXPECT_EQ(test_support::FileBytes(Path(), 0, total).size(), static_cast<size_t>(kPart));
    SendTheRest(1, total);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitTransferTest, AFreedConnectionTakesTheSecondHalfOfWhatIsLeftOfTheLargestPart) {
    WatchedSplit& watched = Begin(Parsed("0-4194304=0 4194304-20971520=0", 20 * kMiB), 2);
    AnswerAll();
    // Not all of these are written out yet; the cut comes after them all.
    const int64_t brought = 4 * kMiB + 1 * kMiB + 1000;
    SendVideo(Exchange(1), 4 * kMiB, brought);
    SendTheRest(0, kPart);
    const int64_t cut = brought + (total - brought) / 2;
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_EQ(RangeFrom(Exchange(2)), cut);
    EXPECT_EQ(watched.requests_when_told, 2u) << "the new part is told before it is asked for";
    EXPECT_EQ(watched.told.Count(), 3u);
    EXPECT_EQ(watched.told[2].start, cut);

    AnswerRange(Exchange(2), total);
    SendVideo(Exchange(1), brought, total);
    EXPECT_FALSE(Exchange(1).IsOpen()) << "it ends where the new part begins";
    SendTheRest(2, total);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitTransferTest, BytesPastTheFilesEndAreLeftOut) {
    WatchedSplit& watched = Begin(Even(2), 2);
    AnswerAll();
    SendTheRest(0, kPart);
    // The last part's server sends more than it said, in one piece.
    Exchange(1).Body(test_support::VideoBytes(kPart, total + 10));
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_EQ(test_support::FileBytes(Path(), 0, total + 10).size(), static_cast<size_t>(total));
}

// How a server turns down one connection of several.
struct Turndown {
    const char* name;
    void (*play)(FakeHttp::Exchange& exchange, int64_t total);
    // When it was the last connection under way: the whole is asked for anew,
    // or the transfer fails with this.
    bool asks_for_the_whole;
    Failure failure;
};

void PrintTo(const Turndown& turndown, std::ostream* out) { *out << turndown.name; }

const Turndown kTurndowns[] = {
    {"WholeAnswer",
     [](FakeHttp::Exchange& e, int64_t total) {
         e.Answer(200, "Content-Length: " + std::to_string(total) + "\r\nETag: \"v1\"\r\n");
     },
     true,
     {}},
    {"OtherVersion",
     [](FakeHttp::Exchange& e, int64_t total) { AnswerRange(e, total, "\"v2\""); },
     true,
     {}},
    {"RangeElsewhere",
     [](FakeHttp::Exchange& e, int64_t total) {
         e.Answer(206, "Content-Range: bytes 0-" + std::to_string(total - 1) + "/" +
                           std::to_string(total) + "\r\nETag: \"v1\"\r\n");
     },
     true,
     {}},
    {"NotSatisfiable",
     [](FakeHttp::Exchange& e, int64_t total) {
         e.Answer(416, "Content-Range: bytes */" + std::to_string(total) + "\r\n");
     },
     true,
     {}},
    {"Forbidden",
     [](FakeHttp::Exchange& e, int64_t) { e.Answer(403); },
     false,
     {Reason::kErrorAnswer, 403}},
    {"TooManyRequests",
     [](FakeHttp::Exchange& e, int64_t) { e.Answer(429); },
     false,
     {Reason::kErrorAnswer, 429}},
    {"Unavailable",
     [](FakeHttp::Exchange& e, int64_t) { e.Answer(503); },
     false,
     {Reason::kErrorAnswer, 503}},
    {"ClosedBeforeItsFirstByte",
     [](FakeHttp::Exchange& e, int64_t total) {
         AnswerRange(e, total);
         e.End(HttpEnd::Kind::kBroken, "reset");
     },
     false,
     {Reason::kConnectionLost, 0, "reset"}},
    {"NotConnected",
     [](FakeHttp::Exchange& e, int64_t) { e.End(HttpEnd::Kind::kCannotConnect, "refused"); },
     false,
     {Reason::kConnectionLost, 0, "refused"}},
};

class TurndownTest : public SplitTransferTest, public testing::WithParamInterface<Turndown> {};

TEST_P(TurndownTest, EndsOnlyThatConnectionAndTheOthersFetchTheRest) {
    ConnectionBudget budget;
    WatchedSplit& watched = Begin(Even(3), 3, &budget);
    AnswerRange(Exchange(0), total);
    AnswerRange(Exchange(2), total);
    GetParam().play(Exchange(1), total);
    EXPECT_FALSE(Exchange(1).IsOpen());
    EXPECT_TRUE(watched.split->FellBack());
    EXPECT_EQ(watched.split->Connections(), 2);
    EXPECT_EQ(budget.InAll(), 2);
    // The first part's connection goes on into the part nobody fetches.
    SendTheRest(0, 2 * kPart);
    EXPECT_FALSE(Exchange(0).IsOpen());
    SendTheRest(2, total);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_EQ(watched.refusals, 0);
    EXPECT_EQ(http.exchanges.size(), 3u) << "no connection is opened in its place";
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_P(TurndownTest, OfTheLastConnectionAsksForTheWholeOrFails) {
    ConnectionBudget budget;
    WatchedSplit& watched = Begin(Even(2), 2, &budget);
    AnswerRange(Exchange(0), total);
    SendTheRest(0, kPart);
    ASSERT_EQ(watched.split->Connections(), 1);
    GetParam().play(Exchange(1), total);
    EXPECT_FALSE(Exchange(1).IsOpen());
    EXPECT_EQ(watched.split->Connections(), 0);
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_EQ(http.exchanges.size(), 2u);
    if (GetParam().asks_for_the_whole) {
        EXPECT_EQ(watched.refusals, 1);
        EXPECT_FALSE(watched.outcome);
        return;
    }
    EXPECT_EQ(watched.refusals, 0);
    ASSERT_TRUE(watched.outcome);
    EXPECT_EQ(watched.outcome->failure(), GetParam().failure);
    EXPECT_EQ(watched.split->Layout().Done(), kPart) << "the bytes that came stay counted";
}

INSTANTIATE_TEST_SUITE_P(Answers, TurndownTest, testing::ValuesIn(kTurndowns),
                         [](const testing::TestParamInfo<Turndown>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SplitTransferTest, AfterATurndownWhatIsLeftComesOverOneConnectionAtATime) {
    WatchedSplit& watched = Begin(Even(4), 4);
    AnswerAll();
    Exchange(2).Answer(503);
    // A connection that brought bytes and broke is not a turndown, but its
    // part waits now for one connection.
    SendVideo(Exchange(1), kPart, kPart + 1 * kMiB);
    Exchange(1).End(HttpEnd::Kind::kBroken, "reset");
    SendTheRest(0, kPart);
    EXPECT_FALSE(Exchange(0).IsOpen()) << "the next part has bytes: it is not taken over";
    EXPECT_EQ(http.exchanges.size(), 4u) << "one connection is still under way";
    SendTheRest(3, total);
    ASSERT_EQ(http.exchanges.size(), 5u);
    EXPECT_EQ(RangeFrom(Exchange(4)), kPart + 1 * kMiB);
    AnswerRange(Exchange(4), total);
    // It goes on into the part that the 503 left untouched.
    SendTheRest(4, 3 * kPart);
    EXPECT_EQ(http.exchanges.size(), 5u);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitTransferTest, ABreakAfterSomeBytesIsFetchedOnFromWhereItStopped) {
    WatchedSplit& watched = Begin(Even(2), 2);
    AnswerAll();
    SendVideo(Exchange(1), kPart, kPart + 1000);
    Exchange(1).End(HttpEnd::Kind::kBroken, "reset");
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_EQ(RangeFrom(Exchange(2)), kPart + 1000) << "the bytes that came were written out";
    EXPECT_FALSE(watched.split->FellBack());
    AnswerRange(Exchange(2), total);
    SendTheRest(2, total);
    SendTheRest(0, kPart);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitTransferTest, TheLastConnectionBreakingMidPartFailsTheTransfer) {
    WatchedSplit& watched = Begin(Even(2), 2);
    AnswerAll();
    SendTheRest(0, kPart);
    SendVideo(Exchange(1), kPart, kPart + 1000);
    Exchange(1).End(HttpEnd::Kind::kBroken, "reset");
    ASSERT_TRUE(watched.outcome);
    EXPECT_EQ(watched.outcome->failure(), (Failure{Reason::kConnectionLost, 0, "reset"}));
    EXPECT_EQ(watched.split->Layout().Text(), "0-4194304=4194304 4194304-8388608=1000");
}

TEST_F(SplitTransferTest, ARefusedAddressEndsTheWholeTransfer) {
    WatchedSplit& watched = Begin(Even(2), 2);
    AnswerRange(Exchange(0), total);
    Exchange(1).End(HttpEnd::Kind::kRefusedAddress, "10.0.0.1");
    ASSERT_TRUE(watched.outcome);
    EXPECT_EQ(watched.outcome->failure(), (Failure{Reason::kPrivateAddress, 0, "10.0.0.1"}));
    EXPECT_TRUE(Exchange(0).WasGivenUp());
}

TEST_F(SplitTransferTest, AbandoningWritesOutWhatCameAndEndsEveryConnection) {
    ConnectionBudget budget;
    WatchedSplit& watched = Begin(Even(2), 2, &budget);
    AnswerAll();
    SendVideo(Exchange(0), 0, 1000);
    SendVideo(Exchange(1), kPart, kPart + 300'000);
    EXPECT_EQ(watched.split->Received(), 301'000);
    EXPECT_LT(watched.split->Layout().Done(), 301'000) << "some are still gathered";
    watched.split->Abandon();
    EXPECT_TRUE(Exchange(0).WasGivenUp());
    EXPECT_TRUE(Exchange(1).WasGivenUp());
    EXPECT_EQ(watched.split->Layout().Text(), "0-4194304=1000 4194304-8388608=300000");
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, 1000));
    EXPECT_TRUE(HoldsTheVideo(Path(), kPart, kPart + 300'000));
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_FALSE(watched.outcome);
    EXPECT_EQ(watched.refusals, 0);
}

TEST_F(SplitTransferTest, DestroyingItEndsEveryConnection) {
    ConnectionBudget budget;
    Begin(Even(3), 3, &budget);
    AnswerRange(Exchange(0), total);
    SendVideo(Exchange(0), 0, 1000);
    run.reset();
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, 1000));
}

TEST_F(SplitTransferTest, BytesThatCannotBeWrittenAreNotCounted) {
    const int read_only = ::open(Path().c_str(), O_RDONLY | O_CLOEXEC);
    WatchedSplit watched(http, clock, read_only, 2);
    watched.split->Start(Even(2));
    AnswerRange(Exchange(0), 2 * kPart);
    SendVideo(Exchange(0), 0, 1000);
    EXPECT_EQ(watched.split->Received(), 1000);
    watched.split->Abandon();
    EXPECT_EQ(watched.split->Layout().Done(), 0);

    // A write that fails on the way ends the transfer.
    WatchedSplit failing(http, clock, read_only, 2);
    failing.split->Start(Even(2));
    AnswerRange(Exchange(2), 2 * kPart);
    SendVideo(Exchange(2), 0, 300'000);
    ASSERT_TRUE(failing.outcome);
    EXPECT_EQ(failing.outcome->failure().reason, Reason::kWriteFailed);
    EXPECT_EQ(failing.split->Layout().Done(), 0);
    EXPECT_TRUE(Exchange(3).WasGivenUp());
    ::close(read_only);
}

TEST_F(SplitTransferTest, OffsetsPast4GiBAreWrittenWhereTheyBelong) {
    // A 5 GB file of which only the last kilobyte is missing, in two parts.
    constexpr int64_t kTotal = 5'000'000'000;
    WatchedSplit& watched = Begin(
        Parsed("0-4999999000=4999999000 4999999000-4999999500=0 4999999500-5000000000=100", kTotal),
        2);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_EQ(RangeFrom(Exchange(0)), 4'999'999'000);
    EXPECT_EQ(RangeFrom(Exchange(1)), 4'999'999'600);
    AnswerAll();
    SendTheRest(1, kTotal);
    SendTheRest(0, 4'999'999'500);
    ASSERT_TRUE(watched.outcome);
    EXPECT_TRUE(watched.outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 4'999'999'000, 4'999'999'500));
    EXPECT_TRUE(HoldsTheVideo(Path(), 4'999'999'600, kTotal));
    EXPECT_EQ(watched.split->Received(), kTotal);
}

// The connections of two transfers, and of several hosts, share the budget.
TEST_F(SplitTransferTest, TheBudgetHoldsAcrossTransfers) {
    ConnectionBudget budget;
    WatchedSplit& first = Begin(Even(4), 4, &budget);
    WatchedSplit second(http, clock, descriptor, 4, &budget, "http://HOST/w.mp4");
    second.split->Start(Even(4));
    EXPECT_EQ(first.split->Connections(), 3) << "an extra connection gave way";
    EXPECT_EQ(second.split->Connections(), 1) << "the first connection is let through";
    EXPECT_EQ(budget.To("host"), 4);
    ASSERT_EQ(http.exchanges.size(), 5u);
    EXPECT_TRUE(Exchange(3).WasGivenUp());

    // The first transfer goes: the second asks for room again when its time comes.
    run.reset();
    EXPECT_EQ(budget.To("host"), 1);
    AnswerRange(Exchange(4), 4 * kPart);
    SendVideo(Exchange(4), 0, 1000);
    EXPECT_EQ(second.split->Connections(), 1) << "not before its time";
    clock.Advance(std::chrono::seconds(1));
    SendVideo(Exchange(4), 1000, 2000);
    EXPECT_EQ(second.split->Connections(), 4);
    EXPECT_EQ(budget.To("host"), 4);
    second.split.reset();
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(SplitTransferTest, NoMoreThanSixteenConnectionsInAll) {
    ConnectionBudget budget;
    std::vector<std::unique_ptr<WatchedSplit>> splits;
    for (int host = 0; host < 5; ++host) {
        splits.push_back(std::make_unique<WatchedSplit>(
            http, clock, descriptor, 4, &budget,
            "http://host" + std::to_string(host) + ".example/v.mp4"));
        splits.back()->split->Start(Even(4));
    }
    EXPECT_EQ(splits[0]->split->Connections(), 3) << "an extra connection gave way";
    for (int host = 1; host < 4; ++host) EXPECT_EQ(splits[host]->split->Connections(), 4);
    EXPECT_EQ(splits[4]->split->Connections(), 1);
    EXPECT_EQ(budget.InAll(), 16);
    EXPECT_EQ(http.exchanges.size(), 17u);
    splits.clear();
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_EQ(http.OpenCount(), 0);
}

} // namespace
} // namespace tarnwick::transfer
