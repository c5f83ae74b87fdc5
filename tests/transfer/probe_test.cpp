#include "transfer/probe.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

using fakes::FakeReply;

struct HeaderCase {
    const char* name;
    int status;
    std::string raw; // status line and headers, each ended by CR LF
    std::string last_modified;
    float file_size;
    std::string remote_file_name;
    std::string remote_file_type;
    bool file_exists;
};

// A header block of the ceiling's size plus `extra` bytes.
std::string PaddedHead(const std::string& status_line, int extra) {
    const std::string start = status_line + "\r\nContent-Length: 77\r\n";
    const std::string pad(1023 + extra - start.size() - std::string("X-Pad: \r\n").size(), 'p');
    return start + "X-Pad: " + pad + "\r\n";
}

class FindingsTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(FindingsTest, ComeFromTheAnswersHeadAlone) {
    const HeaderCase& c = GetParam();
    const Probe::Result result = FindingsOfAnswer({c.status, c.raw});
    EXPECT_TRUE(result.outcome.IsComplete());
    EXPECT_EQ(result.findings.last_modified, c.last_modified);
    EXPECT_EQ(result.findings.file_size, c.file_size);
    EXPECT_EQ(result.findings.remote_file_name, c.remote_file_name);
    EXPECT_EQ(result.findings.remote_file_type, c.remote_file_type);
    EXPECT_EQ(result.findings.file_exists, c.file_exists);
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, FindingsTest,
    testing::Values(
        HeaderCase{"ContentLength", 200, kOk + "Content-Length: 1234\r\n", "Not Available", 1234,
                   "", "", true},
        HeaderCase{"ContentLengthWithoutBlank", 200, kOk + "Content-Length:1234\r\n",
                   "Not Available", -1, "", "", true},
        HeaderCase{"SizeBeyondFloatPrecision", 200, kOk + "Content-Length: 16777217\r\n",
                   "Not Available", 16777216, "", "", true},
        HeaderCase{"LastModifiedAsReceived", 200,
                   kOk + "Last-Modified: Tue, 15 Nov 1994 12:45:26 GMT\r\n",
                   "Tue, 15 Nov 1994 12:45:26 GMT", -1, "", "", true},
        HeaderCase{"ContentTypeWithParameter", 200, kOk + "Content-Type: text/html; charset=x\r\n",
                   "Not Available", -1, "", "html; charset=x", true},
        HeaderCase{"QuotedFileName", 200,
                   kOk + "Content-Disposition: attachment; filename=\"a b.flv\"\r\n",
                   "Not Available", -1, "\"a b.flv\"", "", true},
        HeaderCase{"NotFound", 404, "HTTP/1.1 404 Not Found\r\n", "Not Available", -1, "", "",
                   false},
        HeaderCase{"FileNotFound", 404, "HTTP/1.1 404 File Not Found\r\n", "Not Available", -1, "",
                   "", false},
        HeaderCase{"NotFoundOfHttpOnePointZero", 404, "HTTP/1.0 404 Not Found\r\n", "Not Available",
                   -1, "", "", true},
        HeaderCase{"ServerError", 500, "HTTP/1.1 500 Internal Server Error\r\n", "Not Available",
                   -1, "", "", true},
        HeaderCase{"HeaderBlockJustFits", 200, PaddedHead("HTTP/1.1 200 OK", 0), "Not Available",
                   77, "", "", true},
        HeaderCase{"HeaderBlockTooLongWithOk", 200, PaddedHead("HTTP/1.1 200 OK", 1),
                   "Not Available", -1, "", "", true},
        HeaderCase{"HeaderBlockTooLongWithCreated", 201, PaddedHead("HTTP/1.1 201 Created", 1),
                   "Not Available", -1, "", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Findings, ALengthThatIsNoNumberFailsTheProbe) {
    const Probe::Result result = FindingsOfAnswer({200, kOk + "Content-Length: many\r\n"});
    ASSERT_TRUE(result.outcome.IsFailed());
    EXPECT_EQ(result.outcome.failure().reason, Reason::kErrorAnswer);
}

class ProbeTest : public testing::Test {
protected:
    void Start(const std::string& link) {
        probe.Start(link, [this](Probe::Result result) { this->result = std::move(result); });
    }

    fakes::FakeClock clock;
    fakes::FakeHttp http;
    Probe probe{http, clock};
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
    EXPECT_EQ(result->findings.file_size, 5);
    EXPECT_TRUE(http.Last().WasGivenUp()) << "the answer's head is all it needs";
}

TEST_F(ProbeTest, WithoutAnAnswerItKnowsNothing) {
    Start("http://host.com/a.flv");
    http.Last().End(platform::HttpEnd::Kind::kCannotConnect, "refused");
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->outcome.IsComplete());
    EXPECT_FALSE(result->findings.file_exists);
    EXPECT_EQ(result->findings.file_size, -1);
    EXPECT_EQ(result->findings.last_modified, "Not Available");
    EXPECT_TRUE(result->findings.remote_file_name.empty());
}

TEST_F(ProbeTest, GivesUpAfterTheOpenLimit) {
    Start("http://host.com/a.flv");
    clock.Advance(std::chrono::seconds(29));
    EXPECT_FALSE(result);
    clock.Advance(std::chrono::seconds(1));
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->findings.file_exists);
    EXPECT_TRUE(http.Last().WasGivenUp());
}

TEST_F(ProbeTest, AHostThatIsNotPlainIsNeverAsked) {
    Start("ftp://host.com/a.flv");
    EXPECT_TRUE(http.exchanges.empty());
    EXPECT_FALSE(result) << "the result comes from the event loop";
    clock.RunDue();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->findings.file_exists);
}

} // namespace
} // namespace tarnwick::transfer
