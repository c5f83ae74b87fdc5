// The trace's HTTP lines never carry a credential's value.
#include "curl/http_trace.h"

#include <gtest/gtest.h>

namespace tarnwick::curl {
namespace {

TEST(HttpTrace, RequestLinesLeaveOutTheValuesOfCredentialsOnly) {
    platform::HttpRequest request;
    request.url = "https://video.example/v.mp4";
    request.headers = {"Range: bytes=100-", "Cookie: session=secret",
                       "authorization: Bearer secret", "Referer: https://video.example/"};
    const std::string line = RequestLine(7, request);
    EXPECT_EQ(line,
              "#7 GET https://video.example/v.mp4 | Range: bytes=100- | Cookie: (left out)"
              " | authorization: (left out) | Referer: https://video.example/");
    EXPECT_EQ(line.find("secret"), std::string::npos);
}

TEST(HttpTrace, AnswerAndEndLinesTellStatusAndLengthsWithoutBodies) {
    const platform::HttpAnswer answer{206, {{"Content-Length", "900"}}, "https://cdn.example/v"};
    EXPECT_EQ(AnswerLine(3, answer), "#3 answer 206, length 900, from https://cdn.example/v");
    EXPECT_EQ(EndLine(3, {platform::HttpEnd::Kind::kBroken, "Connection reset"}, 512),
              "#3 broken off after 512 body bytes: Connection reset");
}

} // namespace
} // namespace tarnwick::curl
