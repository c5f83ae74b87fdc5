// The requests for a video that a resolver found go with the headers it
// said the video must be asked with (its User-Agent, Referer, Cookie and the
// rest), every request of the item: probe, transfer, resume and pieces.
#pragma once

#include "platform/http_client.h"
#include "resolve/ytdlp_answer.h"

#include <memory>
#include <string>
#include <vector>

namespace tarnwick::driver {

class FormatHttpClient : public platform::HttpClient {
public:
    FormatHttpClient(platform::HttpClient& http, const resolve::HeaderMap& headers);

    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver) override;

private:
    platform::HttpClient& http_;
    std::string agent_;
    // "Name: value" lines, without those the transfer itself decides.
    std::vector<std::string> lines_;
};

} // namespace tarnwick::driver
