// CurlClient against the loopback server, driven by Qt's event loop: what is
// sent, what each receiver hears and in which order, how exchanges end, and
// ending exchanges (or the client) at any point.
#include "curl/curl_client.h"
#include "support/coded_body.h"
#include "support/loopback_server.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::platform {

void PrintTo(const HttpField& field, std::ostream* out) {
    *out << '"' << field.name << ": " << field.value << '"';
}

} // namespace tarnwick::platform

namespace tarnwick::curl {
namespace {

using platform::HttpAnswer;
using Fields = std::vector<platform::HttpField>;
using platform::HttpEnd;
using platform::HttpRequest;
using test_support::Answer;
using test_support::LoopbackServer;

constexpr const char* kAgent = "Tarnwick test agent";
// Only there so that a fault fails the test instead of hanging it.
constexpr int kSafetyNetMs = 60'000;

// Runs the event loop until a condition holds after some receiver call.
class Loop {
public:
    // False when the safety net ended the wait.
    bool RunUntil(const std::function<bool()>& done) {
        if (done()) return true;
        QEventLoop loop;
        bool expired = false;
        QTimer net;
        net.setSingleShot(true);
        QObject::connect(&net, &QTimer::timeout, &loop, [&] {
            expired = true;
            loop.quit();
        });
        net.start(kSafetyNetMs);
        check_ = [&] {
            if (done()) loop.quit();
        };
        loop.exec();
        check_ = nullptr;
        return !expired;
    }
    void Changed() {
        if (check_) check_();
    }

    int drops = 0; // exchanges their receivers destroyed

private:
    std::function<void()> check_;
};

// Keeps what an exchange reports. It owns the exchange, so that it can
// destroy it (and itself) from inside one of its calls.
class Recorder : public platform::HttpReceiver {
public:
    enum class Drop { kNever, kOnAnswer, kOnBody };

    explicit Recorder(Loop& loop) : loop_(loop) {}

    void OnAnswer(const HttpAnswer& got) override {
        Note("answer");
        answer = got;
        if (on_answer) on_answer();
        After(Drop::kOnAnswer);
    }
    void OnBody(const char* data, size_t size) override {
        Note("body");
        EXPECT_GT(size, 0u);
        if (generated) {
            for (size_t i = 0; i < size; ++i) {
                if (data[i] != test_support::GeneratedByte(body_size + i)) ++mismatches;
            }
        } else {
            body.append(data, size);
        }
        body_size += size;
        if (on_body) on_body();
        After(Drop::kOnBody);
    }
    void OnEnd(const HttpEnd& got) override {
        Note("end");
        end = got;
        loop_.Changed();
    }

    // The calls in order, a run of bodies as one: "answer body end".
    std::string Calls() const {
        std::string calls;
        for (const std::string& call : calls_) {
            if (call == "body" && calls.ends_with("body")) continue;
            calls += (calls.empty() ? "" : " ") + call;
        }
        return calls;
    }
    bool Ended() const { return end.has_value(); }

    std::unique_ptr<platform::HttpExchange> exchange;
    Drop drop = Drop::kNever;
    bool delete_self = false; // with the exchange, at `drop`
    std::function<void()> on_answer;
    std::function<void()> on_body;
    bool generated = false; // checks the body against GeneratedByte instead of keeping it

    std::optional<HttpAnswer> answer;
    std::string body;
    uint64_t body_size = 0;
    uint64_t mismatches = 0;
    std::optional<HttpEnd> end;

private:
    void Note(const char* call) { calls_.emplace_back(call); }
    void After(Drop point) {
        if (drop == point) {
            exchange.reset();
            ++loop_.drops;
            if (delete_self) {
                Loop& loop = loop_;
                delete this;
                loop.Changed();
                return;
            }
        }
        loop_.Changed();
    }

    Loop& loop_;
    std::vector<std::string> calls_;
};

class CurlClientTest : public ::testing::Test {
protected:
    ~CurlClientTest() override {
        client_.reset();
        // Qt objects the client handed to deleteLater from inside its calls.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    HttpRequest Get(const std::string& target) const {
        HttpRequest request;
        request.url = server_.Url(target);
        return request;
    }
    void Start(const HttpRequest& request, Recorder& recorder) {
        recorder.exchange = client_->Start(request, recorder);
    }
    // Starts the request and runs the event loop until it ends.
    void Fetch(const HttpRequest& request, Recorder& recorder) {
        Start(request, recorder);
        ASSERT_TRUE(loop_.RunUntil([&] { return recorder.Ended(); }));
    }
    // The connection the last request for `target` came on.
    int ConnectionOf(const std::string& target) const {
        int connection = 0;
        for (const test_support::Request& request : server_.Requests()) {
            if (request.target == target) connection = request.connection;
        }
        return connection;
    }
    // A further exchange runs to its end: anything still due to an earlier
    // one has had its chance to arrive.
    void FetchAnother() {
        server_.Serve("/another", Answer::Http(200, "OK", {}, "x"));
        Recorder another(loop_);
        Fetch(Get("/another"), another);
        EXPECT_EQ(another.Calls(), "answer body end");
    }

    LoopbackServer server_;
    Loop loop_;
    std::unique_ptr<CurlClient> client_ = std::make_unique<CurlClient>(kAgent);
};

std::string ChunkedWithTrailer(const std::vector<std::string>& pieces) {
    std::string body = test_support::ChunkedBody(pieces);
    body.resize(body.size() - 2); // before the blank line that ends the trailers
    return body + "X-Trailer: late\r\n\r\n";
}

TEST_F(CurlClientTest, AnswersArriveAsOneHeadThenTheWholeBody) {
    struct Case {
        const char* name;
        Answer answer;
        int status;
        Fields fields;
        std::string body;
    };
    const Case cases[] = {
        {"plain",
         Answer::Http(200, "OK", {"X-Kind: plain"}, "hello body"),
         200,
         {{"X-Kind", "plain"}, {"Content-Length", "10"}},
         "hello body"},
        {"blanks around values, names in any case",
         Answer()
             .Head("HTTP/1.1 200 OK\r\nx-KIND:  \t plain \t\r\nContent-Length:2\r\n\r\n")
             .Body("ok"),
         200,
         {{"x-KIND", "plain"}, {"Content-Length", "2"}},
         "ok"},
        {"chunked with a trailer",
         Answer()
             .Head("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
             .Body(ChunkedWithTrailer({"one ", "two ", "three"})),
         200,
         {{"Transfer-Encoding", "chunked"}},
         "one two three"},
        {"after an interim answer",
         Answer()
             .Head("HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n"
                   "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n")
             .Body("ok"),
         200,
         {{"Content-Length", "2"}},
         "ok"},
        {"bare line feeds",
         Answer().Head("HTTP/1.1 200 OK\nA: 1\nContent-Length: 2\n\n").Body("ok"),
         200,
         {{"A", "1"}, {"Content-Length", "2"}},
         "ok"},
        {"not found",
         Answer::Http(404, "Not Found", {}, "missing"),
         404,
         {{"Content-Length", "7"}},
         "missing"},
        {"a redirect that goes nowhere",
         Answer::Http(302, "Found", {"Location:"}),
         302,
         {{"Location", ""}, {"Content-Length", "0"}},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Serve("/clip", c.answer);
        Recorder recorder(loop_);
        Fetch(Get("/clip"), recorder);
        EXPECT_EQ(recorder.Calls(), c.body.empty() ? "answer end" : "answer body end");
        ASSERT_TRUE(recorder.answer.has_value());
        EXPECT_EQ(recorder.answer->status, c.status);
        EXPECT_EQ(recorder.answer->fields, c.fields);
        EXPECT_EQ(recorder.body, c.body);
        ASSERT_TRUE(recorder.Ended());
        EXPECT_EQ(recorder.end->kind, HttpEnd::Kind::kComplete);
        EXPECT_EQ(recorder.end->detail, "");
    }
}

TEST_F(CurlClientTest, ALargeBodyArrivesByteForByte) {
    constexpr uint64_t kSize = 64ull * 1024 * 1024;
    server_.Serve(
        "/large",
        Answer()
            .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) + "\r\n\r\n")
            .GeneratedBody(kSize));
    Recorder recorder(loop_);
    recorder.generated = true;
    Fetch(Get("/large"), recorder);
    EXPECT_EQ(recorder.Calls(), "answer body end");
    EXPECT_EQ(recorder.body_size, kSize);
    EXPECT_EQ(recorder.mismatches, 0u);
    EXPECT_EQ(recorder.end->kind, HttpEnd::Kind::kComplete);
}

// Notes the body bytes handed on between two events the event loop
// delivers: what one call from the loop into the client handed on at most,
// however busy the machine is.
class BytesBetweenEvents : public QObject {
public:
    explicit BytesBetweenEvents(const uint64_t& bytes) : bytes_(bytes) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~BytesBetweenEvents() override { QCoreApplication::instance()->removeEventFilter(this); }
    uint64_t most = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override {
        most = std::max(most, bytes_ - at_last_);
        at_last_ = bytes_;
        return false;
    }

private:
    const uint64_t& bytes_;
    uint64_t at_last_ = 0;
};

TEST_F(CurlClientTest, AFastBodyIsHandedOnInTurnsThatLeaveTheEventLoopFree) {
    constexpr uint64_t kSize = 64ull * 1024 * 1024;
    // A turn's budget and at most one buffer past it.
    constexpr uint64_t kMostPerTurn = 2 * 1024 * 1024 + 256 * 1024;
    server_.Serve("/fast", Answer()
                               .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) +
                                     "\r\n\r\n")
                               .GeneratedBody(kSize));
    Recorder recorder(loop_);
    recorder.generated = true;
    BytesBetweenEvents turns(recorder.body_size);
    Fetch(Get("/fast"), recorder);
    EXPECT_EQ(recorder.body_size, kSize);
    EXPECT_EQ(recorder.mismatches, 0u) << "pausing loses or repeats nothing";
    EXPECT_LE(turns.most, kMostPerTurn);
}

// Runs `count` turns of the event loop, each one that has time for it.
void RunTurns(Loop& loop, int count) {
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++turns;
        loop.Changed();
    });
    ticker.start(0);
    ASSERT_TRUE(loop.RunUntil([&] { return turns >= count; }));
}

Answer GeneratedAnswer(uint64_t size) {
    return Answer()
        .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n")
        .GeneratedBody(size);
}

// Byte counts only: the limit's timing is the bucket's, tested on a fake clock.
TEST_F(CurlClientTest, ASpeedLimitHoldsAllExchangesTogetherUntilItIsLifted) {
    constexpr uint64_t kSize = 600 * 1024;
    server_.Serve("/one", GeneratedAnswer(kSize));
    server_.Serve("/two", GeneratedAnswer(kSize));
    client_->SetSpeedLimit(200 * 1024);
    Recorder one(loop_);
    Recorder two(loop_);
    one.generated = two.generated = true;
    Start(Get("/one"), one);
    Start(Get("/two"), two);
    ASSERT_TRUE(loop_.RunUntil([&] { return one.body_size > 0 && two.body_size > 0; }));

    // Loopback would bring both bodies whole within a few turns.
    RunTurns(loop_, 20);
    EXPECT_LT(one.body_size + two.body_size, kSize / 2);
    EXPECT_FALSE(one.Ended() || two.Ended());

    client_->SetSpeedLimit(0);
    ASSERT_TRUE(loop_.RunUntil([&] { return one.Ended() && two.Ended(); }));
    for (const Recorder* recorder : {&one, &two}) {
        EXPECT_EQ(recorder->Calls(), "answer body end");
        EXPECT_EQ(recorder->body_size, kSize);
        EXPECT_EQ(recorder->mismatches, 0u) << "pausing mid-write loses or repeats nothing";
        EXPECT_EQ(recorder->end->kind, HttpEnd::Kind::kComplete);
    }
}

// A page goes past the limit, which holds a video beside it; a page's answer
// that is kept to the limit from some point on is held from there.
TEST_F(CurlClientTest, APageGoesBeyondTheSpeedLimitUntilItIsKeptToIt) {
    constexpr uint64_t kPage = 300 * 1024;
    constexpr uint64_t kLarge = 16 * 1024 * 1024;
    server_.Serve("/page", GeneratedAnswer(kPage));
    server_.Serve("/video", GeneratedAnswer(kPage));
    server_.Serve("/adopted", GeneratedAnswer(kLarge));
    client_->SetSpeedLimit(16 * 1024);
    Recorder page(loop_);
    Recorder video(loop_);
    Recorder adopted(loop_);
    page.generated = video.generated = adopted.generated = true;
    HttpRequest beyond = Get("/page");
    beyond.beyond_limit = true;
    Start(beyond, page);
    Start(Get("/video"), video);
    ASSERT_TRUE(loop_.RunUntil([&] { return page.Ended(); }));
    EXPECT_EQ(page.body_size, kPage);
    EXPECT_FALSE(video.Ended()) << "held by the limit";

    beyond.url = server_.Url("/adopted");
    Start(beyond, adopted);
    ASSERT_TRUE(loop_.RunUntil([&] { return adopted.body_size > 0; }));
    adopted.exchange->KeepToLimit();
    const uint64_t at_keeping = adopted.body_size;
    RunTurns(loop_, 20);
    EXPECT_FALSE(adopted.Ended());
    EXPECT_LT(adopted.body_size, at_keeping + 4 * 1024 * 1024) << "held from then on";
}

TEST_F(CurlClientTest, BodiesUnderASpeedLimitArriveByteForByte) {
    // The limit holds most writes, hands on part of them and takes turns
    // between the exchanges.
    constexpr uint64_t kSize = 1024 * 1024;
    server_.Serve("/one", GeneratedAnswer(kSize));
    server_.Serve("/two", GeneratedAnswer(kSize));
    client_->SetSpeedLimit(4 * 1024 * 1024);
    Recorder one(loop_);
    Recorder two(loop_);
    one.generated = two.generated = true;
    Start(Get("/one"), one);
    Start(Get("/two"), two);
    ASSERT_TRUE(loop_.RunUntil([&] { return one.Ended() && two.Ended(); }));
    for (const Recorder* recorder : {&one, &two}) {
        EXPECT_EQ(recorder->Calls(), "answer body end");
        EXPECT_EQ(recorder->body_size, kSize);
        EXPECT_EQ(recorder->mismatches, 0u);
    }
}

TEST_F(CurlClientTest, DestroyingAnExchangeTheSpeedLimitHoldsClosesTheConnectionAtOnce) {
    server_.Serve("/held", Answer()
                               .Head("HTTP/1.1 200 OK\r\nContent-Length: 900000\r\n\r\n")
                               .Body(std::string(200 * 1024, 'x'))
                               .HoldUntilClientCloses());
    client_->SetSpeedLimit(16 * 1024);
    Recorder recorder(loop_);
    Start(Get("/held"), recorder);
    ASSERT_TRUE(loop_.RunUntil([&] { return !recorder.body.empty(); }));
    RunTurns(loop_, 5);
    ASSERT_LT(recorder.body.size(), 200u * 1024) << "held by the limit";

    recorder.exchange.reset();
    EXPECT_TRUE(server_.WaitForClientClose(1));
    FetchAnother();
}

TEST_F(CurlClientTest, AHeadGoesAsAnUncachedHttpOnePointZeroRequestWithTheAgent) {
    server_.Serve("/clip.flv", Answer::Http(200, "OK", {"X-Size: 7"}, "body"));
    HttpRequest request = Get("/clip.flv");
    request.method = HttpRequest::Method::kHead;
    request.http10 = true;
    request.bypass_caches = true;
    Recorder recorder(loop_);
    Fetch(request, recorder);

    const test_support::Request got = server_.Requests().at(0);
    EXPECT_EQ(got.method, "HEAD");
    EXPECT_EQ(got.version, "HTTP/1.0");
    EXPECT_EQ(got.Header("User-Agent"), kAgent);
    EXPECT_EQ(got.Header("Pragma"), "no-cache");
    EXPECT_EQ(got.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(recorder.Calls(), "answer end");
    EXPECT_EQ(recorder.answer->fields, (Fields{{"X-Size", "7"}, {"Content-Length", "4"}}));
    EXPECT_EQ(recorder.end->kind, HttpEnd::Kind::kComplete);
}

TEST_F(CurlClientTest, ACodedAnswerArrivesDecodedWhetherOrNotCompressionWasAccepted) {
    std::string page;
    for (int i = 0; page.size() < 20000; ++i) page += "<p>line " + std::to_string(i) + "</p>\n";
    struct Case {
        const char* name;
        bool accept_compression;
        std::string coding;
        std::string coded;
    };
    const Case cases[] = {
        {"gzip, accepted", true, "gzip", test_support::Gzipped(page)},
        {"deflate, accepted", true, "deflate", test_support::Deflated(page)},
        {"gzip, although identity was asked for", false, "gzip", test_support::Gzipped(page)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Serve("/coded",
                      Answer::Http(200, "OK", {"Content-Encoding: " + c.coding}, c.coded));
        HttpRequest request = Get("/coded");
        request.accept_compression = c.accept_compression;
        Recorder recorder(loop_);
        Fetch(request, recorder);
        EXPECT_TRUE(recorder.body == page) << "not the decoded page";
        ASSERT_TRUE(recorder.Ended());
        EXPECT_EQ(recorder.end->kind, HttpEnd::Kind::kComplete);
        const std::string asked = server_.Requests().back().Header("Accept-Encoding").value_or("");
        if (c.accept_compression) {
            for (const char* coding : {"gzip", "deflate", "br"}) {
                EXPECT_NE(asked.find(coding), std::string::npos) << coding;
            }
        } else {
            EXPECT_EQ(asked, "identity");
        }
    }
}

// curl may hand on more than one write per read (decoded, or chunk by
// chunk), also after the turn's budget has paused the exchange.
TEST_F(CurlClientTest, BodiesDecodedOrChunkedPastATurnArriveByteForByte) {
    std::string text;
    for (int i = 0; text.size() < 8 * 1024 * 1024; ++i) text += "line " + std::to_string(i) + "\n";
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size(); at += 100 * 1024)
        pieces.push_back(text.substr(at, 100 * 1024));
    const struct {
        const char* name;
        std::string field;
        std::string body;
    } cases[] = {
        {"gzip", "Content-Encoding: gzip", test_support::Gzipped(text)},
        {"chunked", "Transfer-Encoding: chunked", test_support::ChunkedBody(pieces)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Serve("/text", Answer::Http(200, "OK", {c.field}, c.body));
        HttpRequest request = Get("/text");
        request.accept_compression = true;
        Recorder recorder(loop_);
        Fetch(request, recorder);
        EXPECT_TRUE(recorder.body == text) << "not the text as sent";
        ASSERT_TRUE(recorder.Ended());
        EXPECT_EQ(recorder.end->kind, HttpEnd::Kind::kComplete);
    }
}

// Points the environment's proxy at a closed port while it lives.
class ProxyInEnvironment {
public:
    explicit ProxyInEnvironment(uint16_t port) {
        if (const char* old = std::getenv("http_proxy")) old_ = old;
        const std::string proxy = "http://127.0.0.1:" + std::to_string(port);
        setenv("http_proxy", proxy.c_str(), 1);
    }
    ~ProxyInEnvironment() {
        if (old_) {
            setenv("http_proxy", old_->c_str(), 1);
        } else {
            unsetenv("http_proxy");
        }
    }

private:
    std::optional<std::string> old_;
};

TEST_F(CurlClientTest, AGetGoesDirectlyWithTheAgentTheGivenHeadersAndAnEncodedAddress) {
    const ProxyInEnvironment proxy(test_support::UnusedPort());
    HttpRequest request = Get("/my clip.flv?a=1");
    request.headers = {"Referer: http://example.com/page", "X-Token: abc"};
    Recorder recorder(loop_);
    Fetch(request, recorder);

    ASSERT_EQ(server_.Requests().size(), 1u);
    const test_support::Request got = server_.Requests().at(0);
    EXPECT_EQ(got.method, "GET");
    EXPECT_EQ(got.target, "/my%20clip.flv?a=1");
    EXPECT_EQ(got.version, "HTTP/1.1");
    EXPECT_EQ(got.Header("User-Agent"), kAgent);
    EXPECT_EQ(got.Header("Referer"), "http://example.com/page");
    EXPECT_EQ(got.Header("X-Token"), "abc");
    EXPECT_EQ(got.Header("Pragma"), std::nullopt);
    EXPECT_EQ(recorder.answer->status, 404);
}

TEST_F(CurlClientTest, ARedirectIsFollowedAndOnlyTheFinalHeadIsGiven) {
    server_.Serve("/old", Answer::Http(302, "Found", {"Location: /new", "X-From: old"}, "moved"));
    server_.Serve("/new", Answer::Http(200, "OK", {"X-From: new"}, "final"));
    Recorder recorder(loop_);
    Fetch(Get("/old"), recorder);
    EXPECT_EQ(recorder.Calls(), "answer body end");
    EXPECT_EQ(recorder.answer->status, 200);
    EXPECT_EQ(recorder.answer->fields, (Fields{{"X-From", "new"}, {"Content-Length", "5"}}));
    EXPECT_EQ(recorder.body, "final");
    EXPECT_EQ(server_.Requests().at(1).target, "/new");
}

TEST_F(CurlClientTest, ARequestsOwnAgentGoesInsteadOfTheClientsAlsoAfterARedirect) {
    server_.Serve("/old", Answer::Http(302, "Found", {"Location: /new"}, "moved"));
    server_.Serve("/new", Answer::Http(200, "OK", {}, "final"));
    HttpRequest request = Get("/old");
    request.user_agent = "Browser/128.0";
    Recorder recorder(loop_);
    Fetch(request, recorder);
    ASSERT_EQ(server_.Requests().size(), 2u);
    EXPECT_EQ(server_.Requests().at(0).Header("User-Agent"), "Browser/128.0");
    EXPECT_EQ(server_.Requests().at(1).Header("User-Agent"), "Browser/128.0");
}

TEST_F(CurlClientTest, TheEndTellsHowFarTheExchangeGot) {
    struct Case {
        const char* name;
        std::string target; // empty: a port nothing listens on
        std::optional<Answer> answer;
        std::string calls;
        HttpEnd::Kind kind;
    };
    const Case cases[] = {
        {"refused", "", std::nullopt, "end", HttpEnd::Kind::kCannotConnect},
        {"redirect to another scheme", "/to-ftp",
         Answer::Http(302, "Found", {"Location: ftp://127.0.0.1/clip"}), "end",
         HttpEnd::Kind::kCannotConnect},
        {"dropped within the head", "/half-head",
         Answer().Head("HTTP/1.1 200 OK\r\nContent-Len").Drop(), "end",
         HttpEnd::Kind::kCannotConnect},
        {"dropped within the body", "/half-body",
         Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n").Body("part").Drop(),
         "answer body end", HttpEnd::Kind::kBroken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.answer) server_.Serve(c.target, *c.answer);
        HttpRequest request;
        request.url = c.target.empty()
                          ? "http://127.0.0.1:" + std::to_string(test_support::UnusedPort()) + "/"
                          : server_.Url(c.target);
        Recorder recorder(loop_);
        Fetch(request, recorder);
        EXPECT_EQ(recorder.Calls(), c.calls);
        ASSERT_TRUE(recorder.Ended());
        EXPECT_EQ(recorder.end->kind, c.kind);
        EXPECT_NE(recorder.end->detail, "");
    }
}

TEST_F(CurlClientTest, ABadAddressEndsFromTheEventLoopNotInsideStart) {
    for (const std::string url :
         {"", "no address", "http://127.0.0.1:99999/", "http://[::1/x", "ftp://127.0.0.1/clip"}) {
        SCOPED_TRACE(url);
        HttpRequest request;
        request.url = url;
        Recorder recorder(loop_);
        Start(request, recorder);
        EXPECT_EQ(recorder.Calls(), "");
        ASSERT_TRUE(loop_.RunUntil([&] { return recorder.Ended(); }));
        EXPECT_EQ(recorder.Calls(), "end");
        EXPECT_EQ(recorder.end->kind, HttpEnd::Kind::kCannotConnect);
        EXPECT_NE(recorder.end->detail, "");
    }
    EXPECT_EQ(server_.ConnectionCount(), 0);
}

TEST_F(CurlClientTest, DestroyingTheExchangeWhileTheBodyIsHeldBackClosesTheConnectionAtOnce) {
    server_.Serve("/held", Answer()
                               .Head("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")
                               .Body("first")
                               .HoldUntilClientCloses());
    Recorder recorder(loop_);
    Start(Get("/held"), recorder);
    ASSERT_TRUE(loop_.RunUntil([&] { return recorder.body == "first"; }));

    recorder.exchange.reset();
    // The event loop does not run in between: the close happened in the destructor.
    EXPECT_TRUE(server_.WaitForClientClose(1));
    FetchAnother();
    EXPECT_EQ(recorder.Calls(), "answer body");
}

TEST_F(CurlClientTest, DestroyingTheExchangeFromInsideACallIsSilent) {
    struct Case {
        const char* name;
        Recorder::Drop drop;
        bool delete_self;
        std::string calls;
    };
    const Case cases[] = {
        {"in OnAnswer", Recorder::Drop::kOnAnswer, false, "answer"},
        {"in OnBody", Recorder::Drop::kOnBody, false, "answer body"},
        {"with the receiver in OnAnswer", Recorder::Drop::kOnAnswer, true, ""},
        {"with the receiver in OnBody", Recorder::Drop::kOnBody, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Serve("/held", Answer()
                                   .Head("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")
                                   .Body("first")
                                   .HoldUntilClientCloses());
        auto owned = std::make_unique<Recorder>(loop_);
        Recorder& recorder = *owned;
        recorder.drop = c.drop;
        recorder.delete_self = c.delete_self;
        if (c.delete_self) owned.release();
        const int drops = loop_.drops;
        Start(Get("/held"), recorder);
        ASSERT_TRUE(loop_.RunUntil([&] { return loop_.drops > drops; }));

        EXPECT_TRUE(server_.WaitForClientClose(ConnectionOf("/held")));
        FetchAnother();
        if (!c.delete_self) {
            EXPECT_EQ(recorder.Calls(), c.calls);
        }
    }
}

TEST_F(CurlClientTest, TwoRequestsInARowShareOneKeepAliveConnection) {
    server_.Serve("/a", Answer::Http(200, "OK", {}, "first").KeepAlive());
    server_.Serve("/b", Answer::Http(200, "OK", {}, "second").KeepAlive());
    Recorder first(loop_);
    Fetch(Get("/a"), first);
    first.exchange.reset();
    Recorder second(loop_);
    Fetch(Get("/b"), second);

    EXPECT_EQ(first.body, "first");
    EXPECT_EQ(second.body, "second");
    EXPECT_EQ(server_.ConnectionCount(), 1);
    ASSERT_EQ(server_.Requests().size(), 2u);
    EXPECT_EQ(server_.Requests().at(1).connection, 1);
}

TEST_F(CurlClientTest, ARequestStartedFromInsideAnotherCallRuns) {
    server_.Serve("/outer", Answer::Http(200, "OK", {}, "outer"));
    server_.Serve("/inner", Answer::Http(200, "OK", {}, "inner"));
    Recorder outer(loop_);
    Recorder inner(loop_);
    outer.on_answer = [&] { Start(Get("/inner"), inner); };
    Start(Get("/outer"), outer);
    ASSERT_TRUE(loop_.RunUntil([&] { return outer.Ended() && inner.Ended(); }));
    EXPECT_EQ(outer.body, "outer");
    EXPECT_EQ(inner.Calls(), "answer body end");
    EXPECT_EQ(inner.body, "inner");
}

// Two servers on loopback, one of which the client is told is public.
class CurlReachTest : public CurlClientTest {
protected:
    static constexpr const char* kPublicHost = "127.0.0.2";

    CurlReachTest() {
        const IpAddress made_public = *ParseIpAddress(kPublicHost);
        client_ = std::make_unique<CurlClient>(kAgent, [made_public](const IpAddress& address) {
            return address == made_public || IsPublicAddress(address);
        });
    }
    // A request for `url` with that reach, run to its end.
    std::unique_ptr<Recorder> FetchWithin(const std::string& url, HttpRequest::Reach reach) {
        HttpRequest request;
        request.url = url;
        request.reach = reach;
        auto recorder = std::make_unique<Recorder>(loop_);
        Fetch(request, *recorder);
        return recorder;
    }
    static Answer RedirectTo(const std::string& url) {
        return Answer::Http(302, "Found", {"Location: " + url});
    }
    size_t PrivateRequests(const std::string& target) const {
        size_t count = 0;
        for (const test_support::Request& request : server_.Requests()) {
            count += request.target == target ? 1 : 0;
        }
        return count;
    }

    LoopbackServer public_server_{kPublicHost};
};

TEST_F(CurlReachTest, ARedirectFromAPublicAddressNeverReachesAPrivateOne) {
    using Reach = HttpRequest::Reach;
    struct Case {
        const char* name;
        bool start_public;
        std::string to; // where the first answer redirects: "public", "private", "localhost"
        Reach reach;
        bool refused;
    };
    const Case cases[] = {
        {"public to private, first decides", true, "private", Reach::kFirstDecides, true},
        {"public to a private name, first decides", true, "localhost", Reach::kFirstDecides, true},
        {"public to public, first decides", true, "public", Reach::kFirstDecides, false},
        {"private to private, first decides", false, "private", Reach::kFirstDecides, false},
        {"private to public, first decides", false, "public", Reach::kFirstDecides, false},
        {"public to private, anywhere", true, "private", Reach::kAnywhere, false},
        {"private to public, public only", false, "public", Reach::kPublicOnly, true},
        {"public to private, public only", true, "private", Reach::kPublicOnly, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string final_url =
            c.to == "public"    ? public_server_.Url("/end")
            : c.to == "private" ? server_.Url("/end")
                                : "http://localhost:" + std::to_string(server_.Port()) + "/end";
        LoopbackServer& first = c.start_public ? public_server_ : server_;
        first.Serve("/start", RedirectTo(final_url));
        server_.Serve("/end", Answer::Http(200, "OK", {}, "private"));
        public_server_.Serve("/end", Answer::Http(200, "OK", {}, "public"));
        const size_t private_ends = PrivateRequests("/end");
        const int private_connections = server_.ConnectionCount();

        const std::unique_ptr<Recorder> recorder = FetchWithin(first.Url("/start"), c.reach);
        ASSERT_TRUE(recorder->Ended());
        if (c.refused) {
            EXPECT_EQ(recorder->Calls(), "end");
            EXPECT_EQ(recorder->end->kind, HttpEnd::Kind::kRefusedAddress);
            EXPECT_NE(recorder->end->detail, "");
            if (c.to != "localhost") {
                EXPECT_EQ(recorder->end->detail, "127.0.0.1");
            }
            EXPECT_EQ(PrivateRequests("/end"), private_ends) << "the private server was asked";
            EXPECT_EQ(server_.ConnectionCount(), private_connections)
                << "a connection to the private server was made";
        } else {
            EXPECT_EQ(recorder->Calls(), "answer body end");
            EXPECT_EQ(recorder->body, c.to == "public" ? "public" : "private");
            EXPECT_EQ(recorder->answer->began_public, c.start_public);
        }
    }
}

TEST_F(CurlReachTest, AnOpenConnectionToAPrivateAddressIsNotReusedAfterAPublicOne) {
    server_.Serve("/first", Answer::Http(200, "OK", {}, "first").KeepAlive());
    server_.Serve("/end", Answer::Http(200, "OK", {}, "private").KeepAlive());
    public_server_.Serve("/start", RedirectTo(server_.Url("/end")));
    EXPECT_EQ(FetchWithin(server_.Url("/first"), HttpRequest::Reach::kAnywhere)->body, "first");

    const std::unique_ptr<Recorder> recorder =
        FetchWithin(public_server_.Url("/start"), HttpRequest::Reach::kFirstDecides);
    EXPECT_EQ(recorder->end->kind, HttpEnd::Kind::kRefusedAddress);
    EXPECT_EQ(recorder->end->detail, "127.0.0.1");
    EXPECT_EQ(PrivateRequests("/end"), 0u);
}

struct ScopeCase {
    const char* address;
    bool is_public;
};

void PrintTo(const ScopeCase& c, std::ostream* out) { *out << c.address; }

class AddressScopeTest : public testing::TestWithParam<ScopeCase> {};

TEST_P(AddressScopeTest, OnlyLoopbackPrivateSharedLinkLocalAndThisNetworkAreNotPublic) {
    const std::optional<IpAddress> address = ParseIpAddress(GetParam().address);
    ASSERT_TRUE(address);
    EXPECT_EQ(IsPublicAddress(*address), GetParam().is_public);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressScopeTest,
    testing::Values(
        ScopeCase{"127.0.0.1", false}, ScopeCase{"127.255.255.254", false},
        ScopeCase{"10.1.2.3", false}, ScopeCase{"172.16.0.1", false},
        ScopeCase{"172.31.255.255", false}, ScopeCase{"172.32.0.1", true},
        ScopeCase{"172.15.255.255", true}, ScopeCase{"192.168.1.10", false},
        ScopeCase{"192.169.0.1", true}, ScopeCase{"169.254.169.254", false},
        ScopeCase{"0.0.0.0", false}, ScopeCase{"0.1.2.3", false}, ScopeCase{"192.0.2.2", true},
        ScopeCase{"8.8.8.8", true}, ScopeCase{"::1", false}, ScopeCase{"::", false},
        ScopeCase{"::ffff:127.0.0.1", false}, ScopeCase{"::ffff:10.0.0.1", false},
        ScopeCase{"::ffff:192.0.2.2", true}, ScopeCase{"fc00::1", false},
        ScopeCase{"fdff:ffff::1", false}, ScopeCase{"fe80::1", false}, ScopeCase{"febf::1", false},
        ScopeCase{"fec0::1", true}, ScopeCase{"2001:db8::1", true}, ScopeCase{"100.64.0.1", false},
        ScopeCase{"100.127.255.254", false}, ScopeCase{"100.63.255.255", true},
        ScopeCase{"100.128.0.1", true}, ScopeCase{"64:ff9b::10.0.0.1", false},
        ScopeCase{"64:ff9b::100.100.1.1", false}, ScopeCase{"64:ff9b::192.0.2.2", true}),
    [](const testing::TestParamInfo<ScopeCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.address)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST_F(CurlClientTest, DestroyingTheClientEndsItsExchangesSilently) {
    enum class From { kOutside, kOnAnswer, kOnBody };
    for (const From from : {From::kOutside, From::kOnAnswer, From::kOnBody}) {
        SCOPED_TRACE(static_cast<int>(from));
        client_ = std::make_unique<CurlClient>(kAgent);
        server_.Serve("/held", Answer()
                                   .Head("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")
                                   .Body("0123456789")
                                   .HoldUntilClientCloses());
        Recorder recorder(loop_);
        if (from == From::kOnAnswer) recorder.on_answer = [&] { client_.reset(); };
        if (from == From::kOnBody) recorder.on_body = [&] { client_.reset(); };
        Start(Get("/held"), recorder);
        ASSERT_TRUE(loop_.RunUntil([&] { return recorder.body_size > 0 || !client_; }));

        client_.reset();
        EXPECT_TRUE(server_.WaitForClientClose(ConnectionOf("/held")));
        recorder.exchange.reset();
        EXPECT_EQ(recorder.Calls(), from == From::kOnAnswer ? "answer" : "answer body");
    }
    client_ = std::make_unique<CurlClient>(kAgent);
    FetchAnother();
}

} // namespace
} // namespace tarnwick::curl
