// Random names through the file-name cleaning.
#include "fuzz_check.h"
#include "resolve/file_naming.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::string cleaned = tarnwick::resolve::CleanFileName(name);

    FUZZ_REQUIRE(!cleaned.empty());
    FUZZ_REQUIRE(cleaned.find_first_not_of('.') != std::string::npos);
    for (const char c : cleaned) {
        const auto byte = static_cast<unsigned char>(c);
        FUZZ_REQUIRE(byte >= 32 && byte != 127);
        FUZZ_REQUIRE(std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos);
    }
    return 0;
}
