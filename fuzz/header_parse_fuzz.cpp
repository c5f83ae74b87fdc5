// Random answer heads through the field readers: lengths, ranges, media
// types and the names servers suggest. Each line of the input is a field, its
// name before the first ":", its value after, as it stands.
#include "fuzz_check.h"
#include "transfer/header_fields.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

tarnwick::platform::HttpAnswer AnswerOf(std::string_view head) {
    tarnwick::platform::HttpAnswer answer{200};
    while (!head.empty()) {
        const size_t end = std::min(head.find('\n'), head.size());
        const std::string_view line = head.substr(0, end);
        head.remove_prefix(std::min(end + 1, head.size()));
        const size_t colon = std::min(line.find(':'), line.size());
        answer.fields.push_back({std::string(line.substr(0, colon)),
                                 std::string(line.substr(std::min(colon + 1, line.size())))});
    }
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace transfer = tarnwick::transfer;
    const auto answer = AnswerOf(std::string_view(reinterpret_cast<const char*>(data), size));
    if (const auto length = transfer::ContentLengthField(answer)) FUZZ_REQUIRE(*length >= 0);
    if (const auto range = transfer::ContentRangeField(answer)) {
        FUZZ_REQUIRE(range->first >= 0 && range->first <= range->last);
        FUZZ_REQUIRE(!range->total || *range->total > range->last);
    }
    const std::string type = transfer::MediaTypeField(answer);
    FUZZ_REQUIRE(type.find(';') == std::string::npos);
    const std::string name = transfer::DispositionFileName(answer);
    // A suggested name never leads into another folder or over a line.
    FUZZ_REQUIRE(name.find_first_of("/\\\r\n") == std::string::npos);
    return 0;
}
