// The HTTP client on libcurl's multi interface. Every wait for the network
// keeps calling the event pump.
#pragma once

#include "platform/blocking_http.h"
#include "platform/event_pump.h"

namespace tarnwick::platform::curl {

class CurlHttpClient : public BlockingHttpClient {
public:
    explicit CurlHttpClient(EventPump& pump);

    std::unique_ptr<BlockingHttpSession> OpenSession(const std::string& user_agent) override;

private:
    EventPump& pump_;
};

} // namespace tarnwick::platform::curl
