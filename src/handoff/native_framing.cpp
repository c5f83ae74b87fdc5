#include "handoff/native_framing.h"

#include <cstring>

namespace tarnwick::handoff {
namespace {

constexpr size_t kLengthBytes = sizeof(uint32_t);

} // namespace

void FrameReader::Append(std::string_view bytes) {
    // Once a length was too long, nothing after it can be framed again.
    if (!broken_) buffer_.append(bytes);
}

FrameReader::Found FrameReader::Next() {
    if (buffer_.size() < kLengthBytes) return NeedMore{};
    uint32_t length = 0;
    std::memcpy(&length, buffer_.data(), kLengthBytes);
    if (length > kMaxIncomingBytes) {
        // The length stays in the buffer so that every later call says the same.
        broken_ = true;
        buffer_.resize(kLengthBytes);
        return TooLong{length};
    }
    if (buffer_.size() - kLengthBytes < length) return NeedMore{};
    Message message{buffer_.substr(kLengthBytes, length)};
    buffer_.erase(0, kLengthBytes + length);
    return message;
}

bool FrameReader::HasPartial() const { return !buffer_.empty(); }

std::string FrameMessage(std::string_view json) {
    const auto length = static_cast<uint32_t>(json.size());
    std::string framed(kLengthBytes, '\0');
    std::memcpy(framed.data(), &length, kLengthBytes);
    framed.append(json);
    return framed;
}

} // namespace tarnwick::handoff
