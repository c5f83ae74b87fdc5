#include "transfer/probe.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"

#include <gtest/gtest.h>
#include <ostream>

#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

using fakes::FakeReply;

using Existence = ProbeFindings::Existence;

struct AnswerCase {
    const char* name;
    int status;
    std::string raw; // status line and headers, each ended by CR LF
    ProbeFindings findings;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.name; }

class FindingsTest : public testing::TestWithParam<AnswerCase> {};

TEST_P(FindingsTest, FollowTheStatusAndTheFields) {
    EXPECT_EQ(FindingsOfAnswer(fakes::AnswerOf(GetParam().status, GetParam().raw)),
              GetParam().findings);
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
// A header block past the limit, with the findings at its end.
const std::string kLongBlock =
    kOk + "X-Pad: " + std::string(70000, 'p') + "\r\n" + "Content-Length: 77\r\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, FindingsTest,
    testing::Values(
        AnswerCase{"SizeNameAndType",
                   200,
                   kOk + "Content-Length: 1234\r\nContent-Type: video/MP4\r\n"
                         "Content-Disposition: attachment; filename=\"a b.mp4\"; size=3\r\n",
                   {Existence::kExists, 1234, "a b.mp4", "video/mp4", true}},
        AnswerCase{"LengthWithoutBlank",
                   200,
                   kOk + "Content-Length:1234\r\n",
                   {Existence::kExists, 1234, "", ""}},
        AnswerCase{"SizeBeyondFloatPrecision",
                   200,
                   kOk + "Content-Length: 16777217\r\n",
                   {Existence::kExists, 16777217, "", ""}},
        AnswerCase{"LengthThatIsNoNumber",
                   200,
                   kOk + "Content-Length: many\r\n",
                   {Existence::kExists, std::nullopt, "", ""}},
        AnswerCase{"NotFoundWhateverTheReason",
                   404,
                   "HTTP/1.0 404 Nope\r\nContent-Length: 9\r\n",
                   {Existence::kMissing, std::nullopt, "", ""}},
        AnswerCase{
            "Gone", 410, "HTTP/1.1 410 Gone\r\n", {Existence::kMissing, std::nullopt, "", ""}},
        AnswerCase{"HeadForbidden", 403, "HTTP/1.1 403 Forbidden\r\nContent-Length: 9\r\n", {}},
        AnswerCase{"HeadNotAllowed", 405, "HTTP/1.1 405 Method Not Allowed\r\n", {}},
        AnswerCase{"HeadNotImplemented", 501, "HTTP/1.1 501 Not Implemented\r\n", {}},
        AnswerCase{"ServerError", 500, "HTTP/1.1 500 Oops\r\nContent-Length: 9\r\n", {}},
        AnswerCase{"LongHeaderBlockIsStillRead",
                   200,
                   kOk + "X-Pad: " + std::string(2000, 'p') + "\r\nContent-Length: 77\r\n",
                   {Existence::kExists, 77, "", ""}},
        AnswerCase{"PartialAnswerTellsTheWholeInItsRange",
                   206,
                   "HTTP/1.1 206 Partial Content\r\nContent-Length: 100\r\n"
                   "Content-Range: bytes 0-99/420005\r\n",
                   {Existence::kExists, 420005, "", ""}},
        AnswerCase{"PartialAnswerOfUnknownWhole",
                   206,
                   "HTTP/1.1 206 Partial Content\r\nContent-Length: 100\r\n"
                   "Content-Range: bytes 0-99/*\r\n",
                   {Existence::kExists, std::nullopt, "", ""}},
        AnswerCase{"PartialAnswerWithoutRange",
                   206,
                   "HTTP/1.1 206 Partial Content\r\nContent-Length: 100\r\n",
                   {Existence::kExists, std::nullopt, "", ""}},
        AnswerCase{"CodedAnswerTellsNoSize",
                   200,
                   kOk + "Content-Encoding: gzip\r\nContent-Length: 1084\r\n",
                   {Existence::kExists, std::nullopt, "", ""}},
        AnswerCase{"IdentityCodingIsNoCoding",
                   200,
                   kOk + "Content-Encoding: identity\r\nContent-Length: 1084\r\n",
                   {Existence::kExists, 1084, "", ""}},
        AnswerCase{"HeaderBlockPastTheLimit",
                   200,
                   kLongBlock,
                   {Existence::kExists, std::nullopt, "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

class ProbeTest : public testing::Test {
protected:
    void Start(const std::string& link) {
        probe.Start(link, [this](Probe::Result result) { this->result = std::move(result); });
    }

    fakes::FakeClock clock;
    fakes::FakeHttp http;
    RequestContext requests{http, clock};
    Probe probe{requests};
    std::optional<Probe::Result> result;
};

TEST_F(ProbeTest, AsksWithAHeadOfHttpOnePointZeroPastAnyCache) {
    Start("http://host.com/v/clip.flv");
    ASSERT_EQ(http.exchanges.size(), 1u);
    const platform::HttpRequest& request = http.Last().request;
    EXPECT_EQ(request.method, platform::HttpRequest::Method::kHead);
    EXPECT_EQ(request.url, "http://host.com/v/clip.flv");
    EXPECT_TRUE(request.http10);
    EXPECT_TRUE(request.bypass_caches);
    http.Last().Answer(200, "Content-Length: 5\r\n");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->findings.size, 5);
    EXPECT_TRUE(http.Last().WasGivenUp()) << "the answer's head is all it needs";
}

TEST_F(ProbeTest, WithoutAnAnswerItKnowsNothing) {
    Start("http://host.com/a.flv");
    http.Last().End(platform::HttpEnd::Kind::kCannotConnect, "refused");
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->outcome.IsComplete());
    EXPECT_EQ(result->findings, ProbeFindings{}) << "nothing is known";
}

TEST_F(ProbeTest, GivesUpAfterTheOpenLimit) {
    Start("http://host.com/a.flv");
    clock.Advance(std::chrono::seconds(29));
    EXPECT_FALSE(result);
    clock.Advance(std::chrono::seconds(1));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome.failure().reason, Reason::kOpenTimeout);
    EXPECT_EQ(result->findings, ProbeFindings{});
    EXPECT_TRUE(http.Last().WasGivenUp());
}

TEST_F(ProbeTest, AHostThatIsNotPlainIsNeverAsked) {
    Start("ftp://host.com/a.flv");
    EXPECT_TRUE(http.exchanges.empty());
    EXPECT_FALSE(result) << "the result comes from the event loop";
    clock.RunDue();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->findings, ProbeFindings{});
}

} // namespace
} // namespace tarnwick::transfer
