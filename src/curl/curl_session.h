// An HTTP session on libcurl: one multi handle, whose connection cache lets
// a GET reuse an open connection to the same server, and the user agent.
#pragma once

#include "platform/blocking_http.h"
#include "platform/event_pump.h"

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace tarnwick::platform::curl {

class CurlSession : public BlockingHttpSession {
public:
    CurlSession(CURLM* multi, std::string user_agent, EventPump& pump);
    ~CurlSession() override;

    std::unique_ptr<BlockingHttpConnection> Connect(
        const std::string& host, bool secure,
        const std::optional<BlockingHttpCredentials>& credentials) override;
    std::unique_ptr<BlockingHttpBody> OpenUrl(const std::string& url,
                                              const BlockingHttpWaitLimits& limits) override;

    const std::string& UserAgent() const { return user_agent_; }
    CURLM* Multi() const { return multi_; }
    EventPump& Pump() const { return pump_; }

    // Lets libcurl work on every transfer and hands out the ends it reports.
    void Drive();
    // Waits up to `limit` for network activity.
    void Poll(std::chrono::milliseconds limit);

private:
    CURLM* multi_;
    std::string user_agent_;
    EventPump& pump_;
};

} // namespace tarnwick::platform::curl
