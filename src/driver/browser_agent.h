// The agent the requests for pages of other sites and their videos go with.
// Servers of the wider web often refuse an old or unknown agent, so these go
// as a current browser's; the twelve sites keep the client's own agent.
#pragma once

#include "platform/http_client.h"

#include <memory>
#include <string>
#include <utility>

namespace tarnwick::driver {

inline constexpr const char* kBrowserUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0";

// Sends each request through `http` with `agent`, unless it names one itself.
class AgentHttpClient : public platform::HttpClient {
public:
    AgentHttpClient(platform::HttpClient& http, std::string agent)
        : http_(http), agent_(std::move(agent)) {}

    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver) override {
        if (!request.user_agent.empty()) return http_.Start(request, receiver);
        platform::HttpRequest named = request;
        named.user_agent = agent_;
        return http_.Start(named, receiver);
    }

private:
    platform::HttpClient& http_;
    std::string agent_;
};

} // namespace tarnwick::driver
