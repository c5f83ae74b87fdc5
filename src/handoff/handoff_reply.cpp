#include "handoff/handoff_request.h"

#include "handoff/item_json.h"
#include "handoff/native_framing.h"

#include <numeric>

namespace tarnwick::handoff {
namespace {

using detail::Json;

// How much of an address or reason an item keeps when the reply is too long.
constexpr size_t kShortenedBytes = 200;
// How much of a whole request's refusal is sent.
constexpr size_t kMostReasonBytes = 4096;

// At most `most` bytes of `text`, cut before a UTF-8 character, not inside it.
std::string Shortened(std::string_view text, size_t most) {
    if (text.size() <= most) return std::string(text);
    size_t end = most;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

const char* ResultName(ItemReply::Result result) {
    switch (result) {
        case ItemReply::Result::kAdded: return "added";
        case ItemReply::Result::kListed: return "listed";
        case ItemReply::Result::kRefused: return "refused";
    }
    return "refused";
}

std::string ItemText(const ItemReply& item, size_t most) {
    Json json{{"url", Shortened(item.url, most)}, {"result", ResultName(item.result)}};
    if (!item.reason.empty()) json["reason"] = Shortened(item.reason, most);
    return detail::CompactText(json);
}

} // namespace

std::string PingReply(std::string_view version) {
    return detail::CompactText(
        Json{{"ok", true}, {"version", Shortened(version, kShortenedBytes)}});
}

std::string ItemsReply(const std::vector<ItemReply>& items) {
    const std::string head = R"({"ok":true,"items":[)";
    const std::string tail = "]}";
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const ItemReply& item : items) texts.push_back(ItemText(item, std::string::npos));
    // Each item after the first brings a comma.
    const auto size_of = [&](const std::vector<std::string>& parts) {
        return std::accumulate(
            parts.begin(), parts.end(), head.size() + tail.size(),
            [](size_t sum, const std::string& part) { return sum + part.size() + 1; });
    };
    size_t size = size_of(texts);
    // The last items give up their long texts first, then, should that not
    // do, their places in the reply.
    for (size_t index = texts.size(); index > 0 && size > kMaxReplyBytes; --index) {
        std::string shortened = ItemText(items[index - 1], kShortenedBytes);
        size -= texts[index - 1].size() - shortened.size();
        texts[index - 1] = std::move(shortened);
    }
    while (!texts.empty() && size > kMaxReplyBytes) {
        size -= texts.back().size() + 1;
        texts.pop_back();
    }
    std::string reply = head;
    for (size_t index = 0; index < texts.size(); ++index) {
        if (index > 0) reply += ',';
        reply += texts[index];
    }
    return reply + tail;
}

std::string RefusalReply(std::string_view reason) {
    return detail::CompactText(
        Json{{"ok", false}, {"reason", Shortened(reason, kMostReasonBytes)}});
}

} // namespace tarnwick::handoff
