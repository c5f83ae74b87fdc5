#include "handoff/handoff_request.h"

#include "common/text.h"
#include "handoff/item_json.h"
#include "handoff/our_extension.h"

#include <utility>

namespace tarnwick::handoff {
namespace {

using detail::Json;

std::variant<HandoffRequest, Refusal> ReadItems(const Json& request) {
    const auto items = request.find("items");
    if (items == request.end() || !items->is_array()) {
        return Refusal{"The request has no list of items"};
    }
    if (items->empty()) return Refusal{"The request has no items"};
    if (items->size() > kMaxItems) return Refusal{"The request has more than 1000 items"};
    HandoffRequest read{HandoffRequest::Kind::kAdd, {}};
    read.items.reserve(items->size());
    for (size_t index = 0; index < items->size(); ++index) {
        auto item = detail::ReadItem((*items)[index]);
        if (auto* problem = std::get_if<std::string>(&item)) {
            return Refusal{"Item " + std::to_string(index + 1) + ": " + *problem};
        }
        read.items.push_back(std::move(std::get<HandedItem>(item)));
    }
    return read;
}

std::variant<HandoffRequest, Refusal> ReadRequest(std::string_view json) {
    // nlohmann refuses bad UTF-8 as well; this check gives it its own reason.
    if (!text::IsUtf8(json)) return Refusal{"The request is not UTF-8 text"};
    const Json request = Json::parse(json, nullptr, false);
    if (request.is_discarded()) return Refusal{"The request is not JSON"};
    if (!request.is_object()) return Refusal{"The request is not a JSON object"};
    const auto type = request.find("type");
    if (type == request.end() || !type->is_string()) return Refusal{"The request has no type"};
    if (*type == "ping") return HandoffRequest{HandoffRequest::Kind::kPing, {}};
    if (*type == "add") return ReadItems(request);
    return Refusal{"The request's type is unknown"};
}

} // namespace

std::variant<HandoffRequest, Refusal> ParseHandoffRequest(std::string_view json) {
    // Every member is type-checked before it is read, so nothing should
    // throw; should the library still, the request is refused, not the host ended.
    try {
        return ReadRequest(json);
    } catch (const Json::exception&) {
        return Refusal{"The request cannot be read"};
    }
}

bool IsOurCaller(const std::vector<std::string>& arguments) {
    const std::string chromium_origin =
        std::string("chrome-extension://") + kChromiumExtensionId + "/";
    if (!arguments.empty() && arguments[0] == chromium_origin) return true;
    return arguments.size() >= 2 && arguments[1] == kFirefoxExtensionId;
}

} // namespace tarnwick::handoff
