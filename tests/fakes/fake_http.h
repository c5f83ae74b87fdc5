// An HTTP client whose server is the test: each request the program starts
// is recorded, and the test answers it, piece by piece or from canned
// replies routed by address. Every call reaches the program's receiver as
// the event loop would deliver it.
#pragma once

#include "platform/http_client.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::fakes {

// An answer's head from header lines as a server sends them, "Name: value"
// each ended by CR LF; a status line before them is left out.
platform::HttpAnswer AnswerOf(int status, std::string_view header_lines);

// A canned reply, played by FakeHttp::ServeAll.
struct FakeReply {
    enum class Kind {
        kWhole,    // the answer, its body and its end
        kNoAnswer, // ends without an answer: the server cannot be reached
        kSilent,   // nothing ever comes
        kHoldBody, // the answer and the body, but no end
        kBreakOff, // the answer and the body, then the connection breaks
        kRefused,  // ends without an answer: its reach refused the address `body`
    };
    int status = 200;
    std::string headers; // further header lines, each ended by CR LF
    std::string body;
    Kind kind = Kind::kWhole;
    bool with_length = true;  // adds a Content-Length of the body
    bool from_public = false; // the answer tells that the exchange began on a public address

    static FakeReply Page(std::string body) { return {200, "", std::move(body)}; }
    static FakeReply Status(int status) { return {status, "", "error page"}; }
    static FakeReply Of(Kind kind) { return {200, "", "part", kind}; }
};

class FakeHttp : public platform::HttpClient {
public:
    class Exchange {
    public:
        explicit Exchange(platform::HttpRequest request, platform::HttpReceiver& receiver)
            : request(std::move(request)), receiver_(&receiver) {}

        const platform::HttpRequest request;
        // Neither ended nor given up by the program.
        bool IsOpen() const { return !ended_ && !given_up_; }
        // The program gave it up before its end: its connection was closed.
        bool WasGivenUp() const { return given_up_; }

        void Answer(int status, const std::string& headers = "", bool from_public = false);
        void Body(const std::string& bytes);
        void End(platform::HttpEnd::Kind kind = platform::HttpEnd::Kind::kComplete,
                 const std::string& detail = "");
        void Play(const FakeReply& reply);

        void GiveUp() { given_up_ = true; }
        void SetReceiver(platform::HttpReceiver& receiver) { receiver_ = &receiver; }

    private:
        platform::HttpReceiver* receiver_;
        bool ended_ = false;
        bool given_up_ = false;
    };

    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver) override;

    // Canned replies, by exact address; a HEAD route takes the HEAD requests
    // of its address instead.
    void Route(const std::string& url, FakeReply reply) { routes_[url] = std::move(reply); }
    void RouteHead(const std::string& url, FakeReply reply) {
        head_routes_[url] = std::move(reply);
    }
    // Plays the routed reply of each open exchange that has not had one, and
    // of the exchanges those replies lead to, until none is left. An address
    // without a route is answered 404.
    void ServeAll();

    std::vector<std::shared_ptr<Exchange>> exchanges;
    Exchange& Last() { return *exchanges.back(); }
    int OpenCount() const;
    std::vector<std::string> Urls() const;

private:
    std::map<std::string, FakeReply> routes_;
    std::map<std::string, FakeReply> head_routes_;
    size_t served_ = 0;
};

} // namespace tarnwick::fakes
