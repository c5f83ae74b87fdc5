// Random header blocks through the field reader: lengths, media types and
// the names servers suggest.
#include "fuzz_check.h"
#include "transfer/header_fields.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (const auto length = tarnwick::transfer::ContentLengthField(raw)) FUZZ_REQUIRE(*length >= 0);
    for (const std::string_view value : tarnwick::transfer::FieldValues(raw, "content-type")) {
        FUZZ_REQUIRE(value.size() <= raw.size());
        FUZZ_REQUIRE(value.find("\r\n") == std::string_view::npos);
    }
    const std::string type = tarnwick::transfer::MediaTypeField(raw);
    FUZZ_REQUIRE(type.find(';') == std::string::npos);
    const std::string name = tarnwick::transfer::DispositionFileName(raw);
    // A suggested name never leads into another folder or over a line.
    FUZZ_REQUIRE(name.find_first_of("/\\\r\n") == std::string::npos);
    return 0;
}
