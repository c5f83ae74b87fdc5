// HTTP on libcurl's multi interface, driven by Qt's event loop: curl's
// sockets are watched by socket notifiers and its timeouts by one single-shot
// timer, so each exchange is reported on from the event loop as its answer's
// head, its body and its end arrive. One multi handle serves every exchange,
// and its connection cache lets a request reuse an open connection to the
// same server.
#pragma once

#include "curl/address_scope.h"
#include "platform/http_client.h"
#include "platform/trace.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tarnwick::curl {

class CurlCore;

class CurlClient : public platform::HttpClient {
public:
    // Needs a Qt application object for its event loop; every request that
    // names no agent of its own is sent with `user_agent`. `is_public` tells
    // the addresses a request's reach calls public.
    explicit CurlClient(std::string user_agent, PublicTest is_public = IsPublicAddress);
    // The same, writing each request, answer and end to `trace`, which must
    // outlive the client.
    CurlClient(std::string user_agent, platform::Trace& trace);
    // Ends every exchange still under way at once and closes its connection;
    // their receivers hear nothing more. The exchanges may still be destroyed
    // afterwards. Also safe from inside a receiver's call.
    ~CurlClient() override;
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver) override;
    // Shared by every exchange together: a transfer the limit holds is
    // paused, and goes on when the limit allows more. Takes effect at once,
    // also on the exchanges under way.
    void SetSpeedLimit(int64_t bytes_per_second) override;

private:
    // Shared with the Qt objects' handlers (weakly) and the exchanges
    // (weakly), so neither outlives what it points at.
    std::shared_ptr<CurlCore> core_;
};

} // namespace tarnwick::curl
