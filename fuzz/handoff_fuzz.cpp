// Random bytes as the browser's side of the native messaging pipe, and as a
// line arriving over the program's local socket: whatever comes, the replies
// stay under the browser's limit and read as JSON, and every item taken
// travels on to the program as one line that reads back the same.
#include "fuzz_check.h"
#include "handoff/handoff_request.h"
#include "handoff/native_framing.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace tarnwick::handoff;

void CheckItem(const HandedItem& item) {
    const std::string line = ChannelItemLine(item);
    FUZZ_REQUIRE(line.find('\n') == std::string::npos);
    const auto back = ParseChannelItemLine(line);
    FUZZ_REQUIRE(std::holds_alternative<HandedItem>(back));
    FUZZ_REQUIRE(std::get<HandedItem>(back) == item);
}

void CheckReply(const std::string& reply) {
    FUZZ_REQUIRE(reply.size() <= kMaxReplyBytes);
    FUZZ_REQUIRE(nlohmann::json::accept(reply));
}

void CheckRequest(std::string_view json) {
    const auto parsed = ParseHandoffRequest(json);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) {
        CheckReply(RefusalReply(refusal->reason));
        return;
    }
    std::vector<ItemReply> replies;
    for (const HandedItem& item : std::get<HandoffRequest>(parsed).items) {
        CheckItem(item);
        replies.push_back({item.url, ItemReply::Result::kRefused, item.name});
    }
    CheckReply(ItemsReply(replies));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The whole input as one message too, so that the request reader is
    // reached without the fuzzer having to find a length.
    CheckRequest(bytes);
    FrameReader reader;
    reader.Append(bytes);
    while (true) {
        const FrameReader::Found found = reader.Next();
        const auto* message = std::get_if<FrameReader::Message>(&found);
        if (message == nullptr) break;
        CheckRequest(message->json);
    }
    const auto line = ParseChannelItemLine(bytes);
    if (const auto* item = std::get_if<HandedItem>(&line)) CheckItem(*item);
    return 0;
}
