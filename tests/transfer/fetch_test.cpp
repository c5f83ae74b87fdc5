// The one fetch every request goes through: how an answer fits what was
// asked, what a fetch asks for, and the rules it keeps for every request
// alike (tries, rate, bounds, slots, reach).
#include "transfer/fetch.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"

#include <gtest/gtest.h>
#include <ostream>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {
namespace {

using fakes::FakeHttp;

struct FitCase {
    const char* name;
    FetchRequest request;
    int status;
    std::string fields;
    Fit fit;
};

void PrintTo(const FitCase& c, std::ostream* out) { *out << c.name; }

class FitTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitTest, TellsWhetherTheAnswerIsWhatWasAskedFor) {
    EXPECT_EQ(FitOf(GetParam().request, fakes::AnswerOf(GetParam().status, GetParam().fields)),
              GetParam().fit);
}

const FetchRequest kWhole{.url = "http://h/v"};
const FetchRequest kRest{.url = "http://h/v", .from = 5, .validator = "\"v1\"", .total = 10};
const FetchRequest kPiece{.url = "http://h/v", .from = 100, .length = 50};

INSTANTIATE_TEST_SUITE_P(
    Answers, FitTest,
    testing::Values(
        FitCase{"WholeToAPlainRequest", kWhole, 200, "", Fit::kAsAsked},
        FitCase{"ErrorStatus", kWhole, 404, "", Fit::kError},
        FitCase{"UnaskedPartThatIsTheWhole", kWhole, 206, "Content-Range: bytes 0-4/5\r\n",
                Fit::kAsAsked},
        FitCase{"UnaskedPartOfMore", kWhole, 206, "Content-Range: bytes 0-4/9\r\n",
                Fit::kOtherPart},
        FitCase{"TheRest", kRest, 206, "Content-Range: bytes 5-9/10\r\nETag: \"v1\"\r\n",
                Fit::kAsAsked},
        FitCase{"TheRestNamingNoVersion", kRest, 206, "Content-Range: bytes 5-9/10\r\n",
                Fit::kAsAsked},
        FitCase{"WholeWhereTheRestWasAsked", kRest, 200, "", Fit::kWhole},
        FitCase{"RestOfAnotherVersion", kRest, 206,
                "Content-Range: bytes 5-9/10\r\nETag: \"v2\"\r\n", Fit::kOtherPart},
        FitCase{"RestOfAnotherSize", kRest, 206, "Content-Range: bytes 5-11/12\r\n",
                Fit::kOtherPart},
        FitCase{"RangeStartingElsewhere", kRest, 206, "Content-Range: bytes 0-9/10\r\n",
                Fit::kOtherPart},
        FitCase{"RangeOfCodedBytes", kRest, 206,
                "Content-Range: bytes 5-9/10\r\nContent-Encoding: gzip\r\n", Fit::kOtherPart},
        FitCase{"LengthThatIsNotTheRange's", kRest, 206,
                "Content-Range: bytes 5-9/10\r\nContent-Length: 3\r\n", Fit::kOtherPart},
        FitCase{"NotSatisfiable", kRest, 416, "Content-Range: bytes */10\r\n", Fit::kOtherPart},
        FitCase{"PieceWithoutARangeField", kPiece, 206, "", Fit::kAsAsked},
        FitCase{"PieceOfOtherBytes", kPiece, 206, "Content-Range: bytes 100-199/900\r\n",
                Fit::kOtherPart}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::erase(name, '\'');
        return name;
    });

class FetchTest : public testing::Test {
protected:
    void Start(FetchRequest request) {
        fetch.Start(std::move(request),
                    {nullptr, nullptr, [this](FetchEnd e) { end = std::move(e); }});
    }

    fakes::FakeClock clock;
    FakeHttp http;
    ConnectionBudget budget{clock};
    RequestContext requests{http,
                            clock,
                            {},
                            &budget,
                            platform::HttpRequest::Reach::kFirstDecides,
                            "agent",
                            {"Referer: http://page/"}};
    Fetch fetch{requests};
    std::optional<FetchEnd> end;
};

TEST_F(FetchTest, AsksForItsRangeWithTheItemsHeadersAndHoldsASlotUntilItEnds) {
    Start({.url = "http://host/v",
           .from = 100,
           .length = 50,
           .validator = "\"v1\"",
           .claim = ConnectionBudget::Claim::kFirst});
    EXPECT_EQ(http.Last().request.headers,
              (std::vector<std::string>{"Referer: http://page/", "Range: bytes=100-149",
                                        "If-Range: \"v1\""}));
    EXPECT_EQ(http.Last().request.user_agent, "agent");
    EXPECT_EQ(budget.To("host"), 1);
    http.Last().Answer(206, "Content-Length: 50\r\n", true);
    EXPECT_EQ(requests.reach, platform::HttpRequest::Reach::kPublicOnly)
        << "once an answer came from a public address, the item's requests stay there";
    http.Last().Body(std::string(50, 'b'));
    http.Last().End();
    ASSERT_TRUE(end && end->outcome.IsComplete());
    EXPECT_EQ(end->body, std::string(50, 'b'));
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(FetchTest, AFailureIsTriedAgainAfterOneTwoAndFourSecondsWithItsSlotGivenBack) {
    Start({.url = "http://host/v", .retries = 3});
    for (const int seconds : {1, 2, 4}) {
        http.Last().Answer(503);
        EXPECT_FALSE(end);
        EXPECT_EQ(budget.InAll(), 0) << "no slot is held while it waits";
        const size_t asked = http.exchanges.size();
        clock.Advance(std::chrono::milliseconds(seconds * 1000 - 1));
        EXPECT_EQ(http.exchanges.size(), asked);
        clock.Advance(std::chrono::milliseconds(1));
        ASSERT_EQ(http.exchanges.size(), asked + 1);
    }
    http.Last().Answer(503);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome.failure(), (Failure{Reason::kErrorAnswer, 503}));
}

TEST_F(FetchTest, NeitherARefusedAddressNorATooLargeBodyIsTriedAgain) {
    Start({.url = "http://host/v", .retries = 3});
    http.Last().End(platform::HttpEnd::Kind::kRefusedAddress, "10.0.0.1");
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome.failure(), (Failure{Reason::kPrivateAddress, 0, "10.0.0.1"}));

    end.reset();
    Start({.url = "http://host/v", .most_bytes = 4, .retries = 3});
    http.Last().Answer(200);
    http.Last().Body("12345");
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome.failure().reason, Reason::kErrorAnswer);
    EXPECT_TRUE(http.Last().WasGivenUp());
    EXPECT_EQ(http.exchanges.size(), 2u);
}

TEST_F(FetchTest, AnAnswerShortOfItsLengthBrokeOff) {
    Start({.url = "http://host/v"});
    http.Last().Answer(200, "Content-Length: 10\r\n");
    http.Last().Body("12345");
    http.Last().End();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome.failure(),
              (Failure{Reason::kConnectionLost, 200, "The answer ended early"}));
}

TEST_F(FetchTest, ABodyUnderItsLeastRateEndsWithTheReasonItWasGiven) {
    Start({.url = "http://host/v",
           .least_rate = LeastRate{1024, std::chrono::seconds(20), true},
           .too_slow = Reason::kStallTimeout});
    http.Last().Answer(200);
    // Silence counts as slow here: the stall limit (60 s) would come later.
    clock.Advance(std::chrono::seconds(19));
    EXPECT_FALSE(end);
    clock.Advance(std::chrono::seconds(5));
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome.failure().reason, Reason::kStallTimeout);
    EXPECT_TRUE(http.Last().WasGivenUp());
}

TEST_F(FetchTest, WaitsInLineForASlotWithoutTheOpenLimitRunning) {
    std::vector<ConnectionBudget::Slot> full;
    for (int i = 0; i < ConnectionBudget::kLeastPerHost; ++i) {
        full.push_back(*budget.TryTake("host", ConnectionBudget::Claim::kExtra));
    }
    Start({.url = "http://host/v", .claim = ConnectionBudget::Claim::kExtra});
    EXPECT_TRUE(http.exchanges.empty());
    clock.Advance(std::chrono::minutes(5));
    EXPECT_FALSE(end) << "waiting for room is not the server's fault";
    full.pop_back();
    clock.RunDue();
    ASSERT_EQ(http.exchanges.size(), 1u);
    EXPECT_EQ(budget.To("host"), ConnectionBudget::kLeastPerHost);
}

// "Too many" from a server that has others of ours keeps it to those; from
// a page, or as the only connection, it says nothing of a crowd.
TEST_F(FetchTest, ATooManyAnswerBesideOtherConnectionsLowersTheHostsShare) {
    std::vector<ConnectionBudget::Slot> held;
    held.push_back(*budget.TryTake("host", ConnectionBudget::Claim::kExtra));
    Start({.url = "http://host/v"});
    http.Last().Answer(503);
    EXPECT_EQ(budget.CapOf("host"), ConnectionBudget::kLeastPerHost);
    held.push_back(*budget.TryTake("host", ConnectionBudget::Claim::kExtra));
    Start({.url = "http://host/v", .claim = ConnectionBudget::Claim::kExtra});
    http.Last().Answer(429);
    ASSERT_TRUE(end && end->outcome.IsFailed());
    EXPECT_EQ(budget.CapOf("host"), 2);
}

} // namespace
} // namespace tarnwick::transfer
