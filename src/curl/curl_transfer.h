// One libcurl transfer inside a session's multi handle: the options every
// request shares (user agent, no proxy, http and https only, at most ten
// redirects), the final answer's raw headers, a bounded body buffer, and the
// waits that keep the event pump running until data, an end, a limit or the
// caller's give_up.
#pragma once

#include "platform/blocking_http.h"
#include "platform/event_pump.h"

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform::curl {

class CurlSession;

class CurlTransfer {
public:
    // The body buffer pauses the transfer above this many bytes and lets it
    // go on again below the low-water mark.
    static constexpr size_t kHighWater = 1024 * 1024;
    static constexpr size_t kLowWater = kHighWater / 2;

    CurlTransfer(CurlSession& session, BlockingHttpWaitLimits limits);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    CURL* Easy() const { return easy_; }
    // Parses the address; false when it is not one (the transfer then never starts).
    bool SetUrl(const std::string& url);
    // Starts the transfer and waits until the final answer's headers are in
    // or the transfer ends; true when an answer came.
    bool StartAndWaitForAnswer();

    bool Answered() const { return headers_complete_; }
    const std::string& HeaderText() const { return header_text_; }
    long ResponseCode() const;

    BlockingHttpReadResult Read(char* buffer, size_t size);
    size_t BufferedBytes() const { return body_.size() - head_; }

    // Called by the session when libcurl reports the transfer's end.
    void MarkDone(CURLcode result);

private:
    enum class WaitEnd { kReady, kDone, kTimedOut, kGaveUp };
    using Clock = std::chrono::steady_clock;

    WaitEnd WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit,
                      bool limit_restarts_on_data);
    size_t TakeBody(char* buffer, size_t size);
    void ResumeIfDrained();
    void OnHeaderLine(std::string_view line);
    size_t OnBodyBytes(const char* data, size_t count);

    static size_t HeaderCallback(char* data, size_t size, size_t count, void* self);
    static size_t BodyCallback(char* data, size_t size, size_t count, void* self);

    CurlSession& session_;
    BlockingHttpWaitLimits limits_;
    CURL* easy_ = nullptr;
    CURLU* url_ = nullptr;
    bool added_ = false;

    std::string header_text_;
    bool location_seen_ = false;
    bool headers_complete_ = false;

    std::vector<char> body_;
    size_t head_ = 0;
    uint64_t received_ = 0;
    bool paused_ = false;
    bool stalled_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
};

} // namespace tarnwick::platform::curl
