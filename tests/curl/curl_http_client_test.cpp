// The HEAD probe's request and the raw header text it gets back.
#include "curl/curl_requests.h"
#include "curl/curl_test_support.h"

namespace tarnwick::platform::curl {
namespace {

using test_support::Answer;

class CurlHeadTest : public CurlClientTest {
protected:
    std::unique_ptr<BlockingHttpRequest> Probe(
        const std::string& path, std::optional<BlockingHttpCredentials> credentials = {},
        bool secure = false) {
        auto connection = session_->Connect(Host(), secure, credentials);
        auto request = connection->OpenHeadRequest(path, Limits());
        request->Send();
        return request;
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(server_.Port()); }
};

TEST_F(CurlHeadTest, SendsAnUncachedHttpOnePointZeroHeadWithTheAgent) {
    server_.Serve("/clip.flv", Answer::Http(200, "OK", {"X-Size: 7"}, "body"));
    auto request = Probe("/clip.flv");
    ASSERT_TRUE(server_.WaitForRequests(1));
    const test_support::Request got = server_.Requests().at(0);
    EXPECT_EQ(got.method, "HEAD");
    EXPECT_EQ(got.target, "/clip.flv");
    EXPECT_EQ(got.version, "HTTP/1.0");
    EXPECT_EQ(got.Header("User-Agent"), kAgent);
    EXPECT_EQ(got.Header("Pragma"), "no-cache");
    EXPECT_EQ(got.Header("Authorization"), std::nullopt);
    EXPECT_EQ(request->RawHeaders(), "HTTP/1.1 200 OK\r\nX-Size: 7\r\nContent-Length: 4\r\n");
    EXPECT_EQ(request->StatusCode(), "200");
}

TEST_F(CurlHeadTest, AnEmptyPathAsksForTheRoot) {
    auto request = Probe("");
    ASSERT_TRUE(server_.WaitForRequests(1));
    EXPECT_EQ(server_.Requests().at(0).target, "/");
    EXPECT_EQ(request->StatusCode(), "404");
}

TEST_F(CurlHeadTest, BareLineFeedsComeBackAsCrLf) {
    server_.Serve("/lf", Answer().Head("HTTP/1.1 200 OK\nA: 1\nContent-Length: 0\n\n"));
    EXPECT_EQ(Probe("/lf")->RawHeaders(), "HTTP/1.1 200 OK\r\nA: 1\r\nContent-Length: 0\r\n");
}

TEST_F(CurlHeadTest, CredentialsGoAsBasicAuthorization) {
    Probe("/a", BlockingHttpCredentials{"user", "secret"});
    Probe("/b", BlockingHttpCredentials{"user", ""});
    ASSERT_TRUE(server_.WaitForRequests(2));
    EXPECT_EQ(server_.Requests().at(0).Header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
    EXPECT_EQ(server_.Requests().at(1).Header("Authorization"), "Basic dXNlcjo=");
}

TEST_F(CurlHeadTest, AfterARedirectOnlyTheFinalAnswersHeadersAreGiven) {
    server_.Serve("/old", Answer::Http(302, "Found", {"Location: /new", "Last-Modified: old"}));
    server_.Serve("/new", Answer::Http(200, "OK", {"Last-Modified: new"}));
    auto request = Probe("/old");
    EXPECT_EQ(request->RawHeaders(),
              "HTTP/1.1 200 OK\r\nLast-Modified: new\r\nContent-Length: 0\r\n");
    EXPECT_EQ(request->StatusCode(), "200");
    EXPECT_EQ(server_.Requests().at(1).method, "HEAD");
}

TEST_F(CurlHeadTest, AnUnansweredRequestHasNoHeadersAndNoStatus) {
    server_.Serve("/silent", Answer().Stall());
    auto connection = session_->Connect(Host(), false, std::nullopt);
    auto request = connection->OpenHeadRequest("/silent", Limits(std::chrono::milliseconds(100)));
    request->Send();
    EXPECT_EQ(request->RawHeaders(), std::nullopt);
    EXPECT_EQ(request->StatusCode(), "");
    EXPECT_GT(pump_.rounds, 0);
}

TEST_F(CurlHeadTest, ASecureProbeSpeaksTlsToTheServer) {
    auto request = Probe("/clip.flv", std::nullopt, true);
    EXPECT_EQ(request->RawHeaders(), std::nullopt);
    ASSERT_TRUE(server_.WaitForRequests(1));
    const test_support::Request got = server_.Requests().at(0);
    EXPECT_EQ(got.method, "");
    ASSERT_FALSE(got.raw.empty());
    EXPECT_EQ(got.raw[0], '\x16') << "no TLS handshake record";
}

TEST_F(CurlHeadTest, AHostThatIsNoPlainHostIsNeverAsked) {
    auto connection = session_->Connect("ftp:", false, std::nullopt);
    auto request = connection->OpenHeadRequest("//127.0.0.1/x", Limits());
    request->Send();
    EXPECT_EQ(request->RawHeaders(), std::nullopt);
    EXPECT_EQ(request->StatusCode(), "");
}

struct HostCase {
    const char* name;
    const char* host;
    bool plain;
};

class PlainHostTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(PlainHostTest, TellsHostsFromOtherText) {
    EXPECT_EQ(IsPlainHost(GetParam().host), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Hosts, PlainHostTest,
                         ::testing::Values(HostCase{"Name", "www.example.com", true},
                                           HostCase{"NameAndPort", "video-host.example:8080", true},
                                           HostCase{"Address", "127.0.0.1", true},
                                           HostCase{"BracketedAddress", "[::1]:80", true},
                                           HostCase{"Empty", "", false},
                                           HostCase{"SchemeLeft", "ftp:", false},
                                           HostCase{"UserInfo", "user@host", false},
                                           HostCase{"PortNotANumber", "host:http", false},
                                           HostCase{"Blank", "ho st", false},
                                           HostCase{"OpenBracket", "[::1", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::platform::curl
