// Random answer headers through the probe's header parse and the field reader.
#include "fuzz_check.h"
#include "transfer/header_parse.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (const auto findings = tarnwick::transfer::ParseHeaders(raw)) {
        // Values are cut from the text: none can be longer than the text.
        FUZZ_REQUIRE(findings->LastModified.size() <= raw.size() ||
                     findings->LastModified == "Not Available");
        FUZZ_REQUIRE(findings->RemoteFileName.size() <= raw.size());
        FUZZ_REQUIRE(findings->RemoteFileType.size() <= raw.size());
    }
    if (const auto length = tarnwick::transfer::ContentLengthField(raw)) FUZZ_REQUIRE(*length >= 0);
    if (const auto value = tarnwick::transfer::FieldValue(raw, "content-type")) {
        FUZZ_REQUIRE(value->size() <= raw.size());
    }
    return 0;
}
