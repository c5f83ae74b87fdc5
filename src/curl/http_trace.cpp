#include "curl/http_trace.h"

#include "common/text.h"

#include <array>
#include <string_view>

namespace tarnwick::curl {
namespace {

// Fields whose values are secrets: only their names are written.
constexpr std::array<std::string_view, 4> kSecretFields = {"cookie", "authorization",
                                                           "proxy-authorization", "set-cookie"};

bool IsSecret(std::string_view name) {
    for (std::string_view secret : kSecretFields) {
        if (text::EqualsIgnoreCase(name, secret)) return true;
    }
    return false;
}

std::string FieldText(std::string_view field) {
    const size_t colon = field.find(':');
    if (colon == std::string_view::npos || !IsSecret(field.substr(0, colon))) {
        return std::string(field);
    }
    return std::string(field.substr(0, colon)) + ": (left out)";
}

std::string Exchange(uint64_t id) { return "#" + std::to_string(id) + " "; }

const char* EndWord(platform::HttpEnd::Kind kind) {
    switch (kind) {
        case platform::HttpEnd::Kind::kComplete: return "complete";
        case platform::HttpEnd::Kind::kCannotConnect: return "no answer";
        case platform::HttpEnd::Kind::kBroken: return "broken off";
        case platform::HttpEnd::Kind::kRefusedAddress: return "address refused";
    }
    return "ended";
}

} // namespace

std::string RequestLine(uint64_t id, const platform::HttpRequest& request) {
    std::string line =
        Exchange(id) + (request.trace_tag.empty() ? "" : "(" + request.trace_tag + ") ") +
        (request.method == platform::HttpRequest::Method::kHead ? "HEAD " : "GET ") + request.url;
    for (const std::string& field : request.headers) line += " | " + FieldText(field);
    // Which cookies go where is the cookie engine's; their values never show.
    if (!request.cookies.empty())
        line += " | " + std::to_string(request.cookies.size()) + " cookies";
    return line;
}

std::string AnswerLine(uint64_t id, const platform::HttpAnswer& answer) {
    const std::optional<std::string_view> length = answer.Value("Content-Length");
    return Exchange(id) + "answer " + std::to_string(answer.status) + ", length " +
           (length ? std::string(*length) : std::string("unknown")) + ", from " + answer.url;
}

std::string EndLine(uint64_t id, const platform::HttpEnd& end, int64_t body_bytes) {
    return Exchange(id) + EndWord(end.kind) + " after " + std::to_string(body_bytes) +
           " body bytes" + (end.detail.empty() ? "" : ": " + end.detail);
}

} // namespace tarnwick::curl
