// The HTTP client on libcurl's multi interface. Every wait for the network
// keeps calling the event pump.
#pragma once

#include "platform/event_pump.h"
#include "platform/http_client.h"

namespace tarnwick::platform::curl {

class CurlHttpClient : public HttpClient {
public:
    explicit CurlHttpClient(EventPump& pump);

    std::unique_ptr<HttpSession> OpenSession(const std::string& user_agent) override;

private:
    EventPump& pump_;
};

} // namespace tarnwick::platform::curl
