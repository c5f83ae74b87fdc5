// The trace's lines for one HTTP exchange: the request as sent (its header
// fields, with the values of those that carry credentials left out), the
// answer's status and length, and how the exchange ended. Never a body.
#pragma once

#include "platform/http_client.h"

#include <cstdint>
#include <string>

namespace tarnwick::curl {

std::string RequestLine(uint64_t id, const platform::HttpRequest& request);
std::string AnswerLine(uint64_t id, const platform::HttpAnswer& answer);
std::string EndLine(uint64_t id, const platform::HttpEnd& end, int64_t body_bytes);

} // namespace tarnwick::curl
