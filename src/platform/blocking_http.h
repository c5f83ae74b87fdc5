// The HTTP client: a session with a fixed user agent and no proxy; HEAD
// probes through a connection to one server; whole-address GETs whose bodies
// are read in pieces. Every wait for the network keeps the user interface
// live, ends at the given limits and can be ended early by the caller.
// Closing is destroying: a request before its connection, everything before
// its session. Only http and https are spoken, also after a redirect.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::platform {

struct BlockingHttpWaitLimits {
    // From sending a request to the end of the answer's headers.
    std::chrono::milliseconds open_limit{30000};
    // Longest time without a byte of the body while a read waits.
    std::chrono::milliseconds stall_limit{60000};
    // Asked while waiting; true ends the wait at once.
    std::function<bool()> give_up;
};

struct BlockingHttpCredentials {
    std::string user;
    std::string password;
};

// A HEAD request with version HTTP/1.0 that is never answered from a cache.
class BlockingHttpRequest {
public:
    virtual ~BlockingHttpRequest() = default;
    // Sends the request and waits for the answer's headers. The outcome shows
    // only in what the queries below return.
    virtual void Send() = 0;
    // The final answer's status line and headers, each ended by CR LF; none
    // when no answer came.
    virtual std::optional<std::string> RawHeaders() const = 0;
    // The final answer's status code in decimal; empty when no answer came.
    virtual std::string StatusCode() const = 0;
};

// A server that requests go to: host (with an optional ":port"), scheme and
// the credentials sent with each request.
class BlockingHttpConnection {
public:
    virtual ~BlockingHttpConnection() = default;
    virtual std::unique_ptr<BlockingHttpRequest> OpenHeadRequest(
        const std::string& path, const BlockingHttpWaitLimits& limits) = 0;
};

struct BlockingHttpReadResult {
    enum class Outcome {
        kData,   // `count` bytes; 0 only at the end of the body
        kFailed, // the transfer broke or stalled
        kGaveUp, // the caller's give_up ended the wait; `count` bytes came before
    };
    Outcome outcome = Outcome::kData;
    size_t count = 0;
};

// The answer to a GET: its status and its body.
class BlockingHttpBody {
public:
    virtual ~BlockingHttpBody() = default;
    // The final answer's status code (after redirects).
    virtual int StatusCode() const = 0;
    // Fills `buffer` with `size` bytes, fewer only when the body ends or the
    // read fails or gives up.
    virtual BlockingHttpReadResult Read(char* buffer, size_t size) = 0;
};

class BlockingHttpSession {
public:
    virtual ~BlockingHttpSession() = default;
    // Never sends anything by itself. Credentials are sent only when given.
    virtual std::unique_ptr<BlockingHttpConnection> Connect(
        const std::string& host, bool secure,
        const std::optional<BlockingHttpCredentials>& credentials) = 0;
    // A GET of the whole address, reusing an open connection to its server.
    // Waits until the answer's headers are in; null when the address cannot
    // be opened (bad address, other scheme, no connection, limit, give_up).
    // An error status is an answer like any other.
    virtual std::unique_ptr<BlockingHttpBody> OpenUrl(const std::string& url,
                                                      const BlockingHttpWaitLimits& limits) = 0;
};

class BlockingHttpClient {
public:
    virtual ~BlockingHttpClient() = default;
    // Direct access, no proxy. Null when no session can be made.
    virtual std::unique_ptr<BlockingHttpSession> OpenSession(const std::string& user_agent) = 0;
};

} // namespace tarnwick::platform
