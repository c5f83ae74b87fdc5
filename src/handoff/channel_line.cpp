#include "handoff/handoff_request.h"

#include "common/text.h"
#include "handoff/item_json.h"

#include <utility>

namespace tarnwick::handoff {
namespace {

std::variant<HandedItem, Refusal> ReadLine(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (line.find('\n') != std::string_view::npos) return Refusal{"The item is not one line"};
    if (!text::IsUtf8(line)) return Refusal{"The item is not UTF-8 text"};
    const detail::Json json = detail::Json::parse(line, nullptr, false);
    if (json.is_discarded()) return Refusal{"The item is not JSON"};
    auto item = detail::ReadItem(json);
    if (auto* problem = std::get_if<std::string>(&item)) return Refusal{"The item: " + *problem};
    return std::move(std::get<HandedItem>(item));
}

} // namespace

std::string ChannelItemLine(const HandedItem& item) {
    // Compact JSON escapes every control character inside its texts, so the
    // line holds no LF of its own.
    return detail::CompactText(detail::ItemJson(item));
}

std::variant<HandedItem, Refusal> ParseChannelItemLine(std::string_view line) {
    // As with a request: nothing should throw, and nothing is let through.
    try {
        return ReadLine(line);
    } catch (const detail::Json::exception&) {
        return Refusal{"The item cannot be read"};
    }
}

namespace {

constexpr std::string_view kAdded = "added";
constexpr std::string_view kListed = "listed";
constexpr std::string_view kRefused = "refused ";

} // namespace

std::string AnswerLine(ItemReply::Result result, std::string_view reason) {
    switch (result) {
        case ItemReply::Result::kAdded: return std::string(kAdded);
        case ItemReply::Result::kListed: return std::string(kListed);
        case ItemReply::Result::kRefused: break;
    }
    return std::string(kRefused) + std::string(reason);
}

ItemReply ReplyOfAnswer(const std::string& url, std::string_view answer) {
    using Result = ItemReply::Result;
    if (answer == kAdded) return {url, Result::kAdded, {}};
    if (answer == kListed) return {url, Result::kListed, {}};
    if (answer.starts_with(kRefused)) {
        return {url, Result::kRefused, std::string(answer.substr(kRefused.size()))};
    }
    return {url, Result::kRefused, "Tarnwick gave an answer this host does not know"};
}

} // namespace tarnwick::handoff
