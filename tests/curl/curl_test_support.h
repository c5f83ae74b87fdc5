// A libcurl client with a counting event pump, a session and a loopback
// server, and short helpers over them.
#pragma once

#include "curl/curl_http_client.h"
#include "fakes/fake_event_pump.h"
#include "support/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::platform::curl {

class CurlClientTest : public ::testing::Test {
protected:
    static constexpr const char* kAgent = "Tarnwick test agent";

    CurlClientTest() : client_(pump_), session_(client_.OpenSession(kAgent)) {}

    BlockingHttpWaitLimits Limits(std::chrono::milliseconds open = std::chrono::seconds(10),
                                  std::chrono::milliseconds stall = std::chrono::seconds(10)) {
        BlockingHttpWaitLimits limits;
        limits.open_limit = open;
        limits.stall_limit = stall;
        limits.give_up = [this] { return give_up_; };
        return limits;
    }

    std::unique_ptr<BlockingHttpBody> Open(const std::string& url) {
        return session_->OpenUrl(url, Limits());
    }

    // The sizes of the reads of `size` bytes up to the first empty or failed
    // one, "failed" standing for a failure.
    std::vector<std::string> ReadSizes(BlockingHttpBody& body, size_t size,
                                       std::string* bytes = nullptr) {
        std::vector<std::string> sizes;
        std::vector<char> buffer(size);
        for (;;) {
            const BlockingHttpReadResult read = body.Read(buffer.data(), size);
            if (read.outcome == BlockingHttpReadResult::Outcome::kFailed) {
                sizes.push_back("failed");
                return sizes;
            }
            sizes.push_back(std::to_string(read.count));
            if (bytes != nullptr) bytes->append(buffer.data(), read.count);
            if (read.count == 0) return sizes;
        }
    }

    fakes::FakeEventPump pump_;
    CurlHttpClient client_;
    std::unique_ptr<BlockingHttpSession> session_;
    test_support::LoopbackServer server_;
    bool give_up_ = false;
};

} // namespace tarnwick::platform::curl
