// Random addresses through the percent-decoding.
#include "fuzz_check.h"
#include "resolve/unescape_url.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tarnwick::resolve::kUnescapedUrlLimit;
    const std::string_view address(reinterpret_cast<const char*>(data), size);
    const std::string decoded = tarnwick::resolve::UnescapeUrl(address);

    FUZZ_REQUIRE(decoded.size() < kUnescapedUrlLimit);
    FUZZ_REQUIRE(decoded.size() <= address.size());
    // Decoding never makes a zero byte of its own.
    if (address.find('\0') == std::string_view::npos) {
        FUZZ_REQUIRE(decoded.find('\0') == std::string::npos);
    }
    // Without escapes an address that fits comes back unchanged.
    if (address.find('%') == std::string_view::npos && address.size() < kUnescapedUrlLimit) {
        FUZZ_REQUIRE(decoded == address);
    }
    return 0;
}
