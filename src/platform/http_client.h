// HTTP for the program's steps: a request is started and then reported on
// from the event loop, as its answer's head, its body in pieces and its end
// arrive. Nothing blocks and nothing waits: a caller that wants to give up
// destroys the exchange, which ends the request at once and closes its
// connection.
#pragma once

#include "common/text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::platform {

struct HttpRequest {
    enum class Method { kGet, kHead };
    // Where the exchange's connections may go. A public address is any but
    // a loopback, link-local or private one; the address checked is the one
    // connected to, whatever name led there.
    enum class Reach {
        kAnywhere,
        kPublicOnly,
        // The first connection goes anywhere; once it went to a public
        // address, every later one (a redirect) must too.
        kFirstDecides,
    };

    Method method = Method::kGet;
    // An http or https address; other schemes are refused, also on redirect.
    std::string url;
    // Sent as HTTP/1.0 rather than HTTP/1.1.
    bool http10 = false;
    // Asks caches on the way for a fresh answer (Pragma and Cache-Control no-cache).
    bool bypass_caches = false;
    // Lets the answer come compressed, in any content coding the client can
    // decode; otherwise it is asked for as it is ("identity"). A coded answer
    // is decoded either way: its body is the decoded bytes, and its
    // Content-Length that of the coded ones.
    bool accept_compression = false;
    Reach reach = Reach::kAnywhere;
    // Sent as the User-Agent, on redirects too; empty sends the client's own.
    std::string user_agent = {};
    // Further request header lines, "Name: value" each.
    std::vector<std::string> headers;
    // Cookies, one Netscape cookies.txt line each, that the client sends
    // where a browser would: to the hosts, paths and schemes they were set
    // for, on redirects too, and never elsewhere.
    std::vector<std::string> cookies = {};
    // Who asks ("item 7"), for the trace only.
    std::string trace_tag = {};
    // Beyond the speed limit: a page, a playlist or a key, small and wanted
    // before any video's bytes can come, is never held back by it.
    bool beyond_limit = false;
};

// One header field of an answer: its name in the letter case received, and
// its value without the blanks around it.
struct HttpField {
    std::string name;
    std::string value;
    bool operator==(const HttpField&) const = default;
};

// The head of the final answer, after redirects and interim answers.
struct HttpAnswer {
    int status = 0;
    // The header fields in the order received; no trailers.
    std::vector<HttpField> fields = {};
    // The address that answered, after redirects; empty when not known.
    std::string url = {};
    // Whether the exchange's first request went to a public address.
    bool began_public = false;

    // The values of every field named `name`, compared without letter case,
    // in the order received.
    std::vector<std::string_view> Values(std::string_view name) const {
        std::vector<std::string_view> values;
        for (const HttpField& field : fields) {
            if (text::EqualsIgnoreCase(field.name, name)) values.emplace_back(field.value);
        }
        return values;
    }
    // The first of them; none when no field has that name.
    std::optional<std::string_view> Value(std::string_view name) const {
        for (const HttpField& field : fields) {
            if (text::EqualsIgnoreCase(field.name, name)) return field.value;
        }
        return std::nullopt;
    }
};

// Where the requests that follow an answer may go: once an exchange began
// on a public address, "the first connection decides" means public only.
inline HttpRequest::Reach ReachAfter(HttpRequest::Reach reach, bool began_public) {
    return reach == HttpRequest::Reach::kFirstDecides && began_public
               ? HttpRequest::Reach::kPublicOnly
               : reach;
}

struct HttpEnd {
    enum class Kind {
        kComplete,       // the whole answer arrived
        kCannotConnect,  // no answer: unknown host, refused, TLS failure, bad address
        kBroken,         // the connection failed after the answer began
        kRefusedAddress, // a connection the request's reach does not allow
    };
    Kind kind = Kind::kComplete;
    // The system's words for a failure, or the refused address; empty on
    // completion.
    std::string detail;
};

// Hears about one exchange. Each call comes from the event loop, never from
// inside HttpClient::Start, and the receiver may destroy the exchange (and
// itself) from any of them. After OnEnd nothing more comes.
class HttpReceiver {
public:
    virtual ~HttpReceiver() = default;
    // Once, before any body bytes: the final answer's head.
    virtual void OnAnswer(const HttpAnswer& answer) = 0;
    // The next piece of the body; `size` is above 0.
    virtual void OnBody(const char* data, size_t size) = 0;
    // Once, last. An exchange that never got an answer ends without OnAnswer.
    virtual void OnEnd(const HttpEnd& end) = 0;
};

// A request under way. Destroying it ends the request at once, closes its
// connection unless the answer was complete, and silences its receiver.
class HttpExchange {
public:
    virtual ~HttpExchange() = default;
    // Hands the rest of the exchange to `receiver`: every later call goes
    // there. Allowed from inside the current receiver's calls.
    virtual void SetReceiver(HttpReceiver& receiver) = 0;
    // An exchange begun beyond the speed limit keeps to it from now on: a
    // page's answer that turned out to be the video.
    virtual void KeepToLimit() {}
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Starts the request; `receiver` must outlive the exchange or destroy it.
    virtual std::unique_ptr<HttpExchange> Start(const HttpRequest& request,
                                                HttpReceiver& receiver) = 0;
    // Holds the body bytes of all exchanges together to at most
    // `bytes_per_second` on average, from now on, the exchanges under way
    // too; 0 is no limit, as at first. A client that cannot limit ignores it.
    virtual void SetSpeedLimit(int64_t /*bytes_per_second*/) {}
};

} // namespace tarnwick::platform
