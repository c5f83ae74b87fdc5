// Whole-address GETs: what opens, how reads are cut, and how they end.
#include "curl/curl_requests.h"
#include "curl/curl_test_support.h"
#include "curl/curl_transfer.h"

namespace tarnwick::platform::curl {
namespace {

using test_support::Answer;
using Sizes = std::vector<std::string>;

class CurlBodyTest : public CurlClientTest {};

TEST_F(CurlBodyTest, ReadsAreFullUntilTheBodyEnds) {
    const std::string body(5000, 'x');
    server_.Serve("/file", Answer::Http(200, "OK", {}, body));
    auto opened = Open(server_.Url("/file"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->StatusCode(), 200);
    std::string got;
    EXPECT_EQ(ReadSizes(*opened, 2048, &got), (Sizes{"2048", "2048", "904", "0"}));
    EXPECT_EQ(got, body);
    const test_support::Request request = server_.Requests().at(0);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.Header("User-Agent"), kAgent);
    EXPECT_EQ(request.Header("Authorization"), std::nullopt);
}

TEST_F(CurlBodyTest, AChunkedBodyIsReadLikeAnyOther) {
    server_.Serve("/chunked", Answer()
                                  .Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
                                  .Body(test_support::ChunkedBody(
                                      {std::string(1000, 'a'), std::string(3000, 'b'), "c"})));
    auto opened = Open(server_.Url("/chunked"));
    ASSERT_NE(opened, nullptr);
    std::string got;
    EXPECT_EQ(ReadSizes(*opened, 2048, &got), (Sizes{"2048", "1953", "0"}));
    EXPECT_EQ(got, std::string(1000, 'a') + std::string(3000, 'b') + "c");
}

TEST_F(CurlBodyTest, ABodyThatEndsWithTheConnectionIsComplete) {
    server_.Serve("/eof", Answer().Head("HTTP/1.0 200 OK\r\n\r\n").Body("whole page"));
    auto opened = Open(server_.Url("/eof"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(ReadSizes(*opened, 2048), (Sizes{"10", "0"}));
}

TEST_F(CurlBodyTest, AnErrorStatusOpensWithItsPage) {
    server_.Serve("/gone", Answer::Http(404, "Not Found", {}, "<html>gone</html>"));
    auto opened = Open(server_.Url("/gone"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->StatusCode(), 404);
    std::string got;
    ReadSizes(*opened, 2048, &got);
    EXPECT_EQ(got, "<html>gone</html>");
}

TEST_F(CurlBodyTest, AConnectionDroppedMidBodyFailsAfterTheBytesThatCame) {
    server_.Serve("/cut", Answer()
                              .Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n")
                              .Body(std::string(3000, 'x'))
                              .Drop());
    auto opened = Open(server_.Url("/cut"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(ReadSizes(*opened, 2048), (Sizes{"2048", "952", "failed"}));
}

TEST_F(CurlBodyTest, AStalledBodyFailsAtTheStallLimit) {
    server_.Serve("/stall", Answer()
                                .Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n")
                                .Body(std::string(100, 'x'))
                                .Stall());
    auto opened = session_->OpenUrl(
        server_.Url("/stall"), Limits(std::chrono::seconds(10), std::chrono::milliseconds(150)));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(ReadSizes(*opened, 2048), (Sizes{"100", "failed"}));
    EXPECT_GT(pump_.rounds, 0) << "the wait did not keep the window live";
}

TEST_F(CurlBodyTest, AnAnswerThatNeverComesFailsToOpenAtTheOpenLimit) {
    server_.Serve("/silent", Answer().Stall());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(session_->OpenUrl(server_.Url("/silent"), Limits(std::chrono::milliseconds(150))),
              nullptr);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));
}

TEST_F(CurlBodyTest, GivingUpEndsAStalledReadAtOnce) {
    server_.Serve("/stall", Answer()
                                .Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n")
                                .Body(std::string(100, 'x'))
                                .Stall());
    auto opened = Open(server_.Url("/stall"));
    ASSERT_NE(opened, nullptr);
    pump_.on_round = [this](int) { give_up_ = true; };
    std::vector<char> buffer(2048);
    const BlockingHttpReadResult read = opened->Read(buffer.data(), buffer.size());
    EXPECT_EQ(read.outcome, BlockingHttpReadResult::Outcome::kGaveUp);
    EXPECT_EQ(read.count, 100u);
}

TEST_F(CurlBodyTest, GivingUpEndsTheWaitForAnAnswer) {
    server_.Serve("/silent", Answer().Stall());
    pump_.on_round = [this](int) { give_up_ = true; };
    EXPECT_EQ(Open(server_.Url("/silent")), nullptr);
}

TEST_F(CurlBodyTest, ALaterGetReusesTheOpenConnection) {
    server_.Serve("/a", Answer::Http(200, "OK", {}, "first").KeepAlive());
    server_.Serve("/b", Answer::Http(200, "OK", {}, "second").KeepAlive());
    for (const char* target : {"/a", "/b"}) {
        auto opened = Open(server_.Url(target));
        ASSERT_NE(opened, nullptr);
        ReadSizes(*opened, 2048);
    }
    ASSERT_EQ(server_.Requests().size(), 2u);
    EXPECT_EQ(server_.Requests().at(1).connection, server_.Requests().at(0).connection);
}

TEST_F(CurlBodyTest, BlanksInALinkAreSentEncodedAndEscapesStay) {
    server_.Serve("/a%20b%41", Answer::Http(200, "OK", {}, "x"));
    auto opened = Open(server_.Url("/a b%41"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(server_.Requests().at(0).target, "/a%20b%41");
}

TEST_F(CurlBodyTest, MemoryStaysBoundedAndTheBodyIntactAcrossPauses) {
    constexpr uint64_t kSize = 24 * 1024 * 1024 + 13;
    server_.Serve("/big", Answer()
                              .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) +
                                    "\r\n\r\n")
                              .GeneratedBody(kSize));
    auto opened = Open(server_.Url("/big"));
    ASSERT_NE(opened, nullptr);
    auto& body = dynamic_cast<CurlBody&>(*opened);
    std::vector<char> buffer(2048);
    uint64_t position = 0;
    size_t most_buffered = 0;
    bool intact = true;
    for (;;) {
        const BlockingHttpReadResult read = body.Read(buffer.data(), buffer.size());
        ASSERT_EQ(read.outcome, BlockingHttpReadResult::Outcome::kData);
        if (read.count == 0) break;
        for (size_t i = 0; i < read.count; ++i) {
            intact = intact && buffer[i] == test_support::GeneratedByte(position + i);
        }
        position += read.count;
        most_buffered = std::max(most_buffered, body.BufferedBytes());
    }
    EXPECT_EQ(position, kSize);
    EXPECT_TRUE(intact);
    EXPECT_LE(most_buffered, CurlTransfer::kHighWater + 256 * 1024);
}

struct RefusedCase {
    const char* name;
    std::string target; // served with a redirect to `location`, or opened directly
    std::string location;
};

class CurlRefusedAddressTest : public CurlClientTest,
                               public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(CurlRefusedAddressTest, DoesNotOpen) {
    const RefusedCase& c = GetParam();
    server_.Serve("/file", Answer::Http(200, "OK", {}, "secret"));
    std::string url = c.target;
    if (!c.location.empty()) {
        std::string location = c.location;
        const size_t port = location.find("PORT");
        if (port != std::string::npos) location.replace(port, 4, std::to_string(server_.Port()));
        server_.Serve("/redirect", Answer::Http(302, "Found", {"Location: " + location}));
        url = server_.Url("/redirect");
    } else if (url.find("PORT") != std::string::npos) {
        url.replace(url.find("PORT"), 4, std::to_string(server_.Port()));
    }
    EXPECT_EQ(Open(url), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, CurlRefusedAddressTest,
    ::testing::Values(RefusedCase{"FileScheme", "file:///etc/hostname", ""},
                      RefusedCase{"FtpScheme", "ftp://127.0.0.1:PORT/file", ""},
                      RefusedCase{"NoScheme", "127.0.0.1/file", ""},
                      RefusedCase{"RedirectToFile", "", "file:///etc/hostname"},
                      RefusedCase{"RedirectToFtp", "", "ftp://127.0.0.1:PORT/file"},
                      RefusedCase{"ClosedPort", "http://127.0.0.1:1/file", ""}),
    [](const auto& info) { return std::string(info.param.name); });

class CurlRedirectChainTest : public CurlClientTest, public ::testing::WithParamInterface<int> {};

TEST_P(CurlRedirectChainTest, FollowsAtMostTenRedirects) {
    const int hops = GetParam();
    for (int i = 0; i < hops; ++i) {
        server_.Serve(
            "/hop" + std::to_string(i),
            Answer::Http(302, "Found", {"Location: /hop" + std::to_string(i + 1)}).KeepAlive());
    }
    server_.Serve("/hop" + std::to_string(hops), Answer::Http(200, "OK", {}, "end"));
    auto opened = Open(server_.Url("/hop0"));
    EXPECT_EQ(opened != nullptr, hops <= 10);
}

INSTANTIATE_TEST_SUITE_P(Hops, CurlRedirectChainTest, ::testing::Values(1, 10, 11),
                         [](const auto& info) { return std::to_string(info.param) + "Hops"; });

} // namespace
} // namespace tarnwick::platform::curl
