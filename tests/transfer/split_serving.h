// Serving the parts of a file by hand: the bytes of a made-up video, ranged
// answers to the requests a split transfer makes, and its body in pieces.
#pragma once

#include "fakes/fake_http.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace tarnwick::test_support {

inline const std::string kVideoTag = "\"v1\"";

// The video's byte at `index`: far-apart bytes differ, so that a byte
// written in the wrong place shows.
inline char VideoByte(int64_t index) {
    const auto mixed = static_cast<uint64_t>(index) * 2654435761u;
    return static_cast<char>((mixed >> 11) ^ (mixed >> 27));
}

inline std::string ComputedVideoBytes(int64_t from, int64_t to) {
    std::string bytes(static_cast<size_t>(to - from), '\0');
    for (int64_t i = from; i < to; ++i) bytes[static_cast<size_t>(i - from)] = VideoByte(i);
    return bytes;
}

// The video's bytes [from, to); the first megabytes are made once.
inline std::string VideoBytes(int64_t from, int64_t to) {
    static const std::string kStart = ComputedVideoBytes(0, 24 * 1024 * 1024);
    if (to <= static_cast<int64_t>(kStart.size())) {
        return kStart.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    }
    return ComputedVideoBytes(from, to);
}

// Where the exchange's "Range: bytes=N-" asks the bytes from; -1 without one.
inline int64_t RangeFrom(const fakes::FakeHttp::Exchange& exchange) {
    const std::string prefix = "Range: bytes=";
    for (const std::string& header : exchange.request.headers) {
        if (header.starts_with(prefix)) return std::stoll(header.substr(prefix.size()));
    }
    return -1;
}

// A partial answer from where the exchange asked, to the end of a file of
// `total` bytes, of the version `tag`.
inline void AnswerRange(fakes::FakeHttp::Exchange& exchange, int64_t total,
                        const std::string& tag = kVideoTag) {
    const int64_t from = RangeFrom(exchange);
    exchange.Answer(206, "Content-Range: bytes " + std::to_string(from) + "-" +
                             std::to_string(total - 1) + "/" + std::to_string(total) +
                             "\r\nContent-Length: " + std::to_string(total - from) +
                             "\r\nETag: " + tag + "\r\n");
}

// Sends the video's bytes [from, to) in pieces of `piece` bytes, while the
// program keeps the exchange; the bytes sent.
inline int64_t SendVideo(fakes::FakeHttp::Exchange& exchange, int64_t from, int64_t to,
                         int64_t piece = 300'007) {
    int64_t sent = from;
    while (sent < to && exchange.IsOpen()) {
        const int64_t next = std::min(to, sent + piece);
        exchange.Body(VideoBytes(sent, next));
        sent = next;
    }
    return sent - from;
}

// The file's bytes [from, to); short where the file ends.
inline std::string FileBytes(const std::string& path, int64_t from, int64_t to) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return {};
    std::string bytes(static_cast<size_t>(to - from), '\0');
    const ssize_t read = ::pread(descriptor, bytes.data(), bytes.size(), static_cast<off_t>(from));
    ::close(descriptor);
    bytes.resize(read < 0 ? 0 : static_cast<size_t>(read));
    return bytes;
}

// Whether the file's bytes [from, to) are the video's; where they differ first.
inline testing::AssertionResult HoldsTheVideo(const std::string& path, int64_t from, int64_t to) {
    const std::string bytes = FileBytes(path, from, to);
    const std::string video = VideoBytes(from, to);
    const auto differ = std::mismatch(bytes.begin(), bytes.end(), video.begin(), video.end());
    if (differ.first == bytes.end() && differ.second == video.end()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "the file holds " << bytes.size() << " bytes of " << to - from
           << "; the first wrong one at " << from + (differ.first - bytes.begin());
}

} // namespace tarnwick::test_support
