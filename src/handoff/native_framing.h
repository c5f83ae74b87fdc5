// The browsers' native messaging framing: each message is a 32-bit length in
// the machine's byte order, then that many bytes of UTF-8 JSON. The browser
// sends at most kMaxIncomingBytes in one message; a reply must stay under
// kMaxReplyBytes or the browser drops the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace tarnwick::handoff {

inline constexpr uint32_t kMaxIncomingBytes = 8u * 1024 * 1024;
inline constexpr size_t kMaxReplyBytes = 1024 * 1024 - 1;

// Reads framed messages from bytes as they come, in pieces of any size.
class FrameReader {
public:
    // What Next() found.
    struct NeedMore {};               // no whole message yet
    struct Message { std::string json; };
    struct TooLong { uint32_t length; }; // a length past kMaxIncomingBytes: the stream cannot go on
    using Found = std::variant<NeedMore, Message, TooLong>;

    void Append(std::string_view bytes);
    Found Next();
    // Bytes of an unfinished message (or length) are waiting: at the end of
    // the input this means a message was cut short.
    bool HasPartial() const;

private:
    std::string buffer_;
    bool broken_ = false;
};

// `json` with its length before it.
std::string FrameMessage(std::string_view json);

} // namespace tarnwick::handoff
