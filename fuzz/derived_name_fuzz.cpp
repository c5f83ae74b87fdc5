// Random server names and links through the file naming, its cuts included.
#include "fuzz_check.h"
#include "resolve/derived_name.h"
#include "resolve/site_index.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Whether `text` is well-formed UTF-8 (no check of overlong forms needed here).
bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t j = 1; j < length; ++j) {
            if ((static_cast<unsigned char>(text[i + j]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int site = data[0] % 16 - 1;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\n');
    const std::string link(rest.substr(0, split));
    const std::string server =
        split == std::string_view::npos ? "" : std::string(rest.substr(split + 1));
    const std::string name = tarnwick::resolve::DeriveFileName(link, server, site);

    FUZZ_REQUIRE(!name.empty());
    FUZZ_REQUIRE(name.size() <= tarnwick::resolve::kMaxFileName);
    if (site == tarnwick::resolve::kSiteYouTube) {
        FUZZ_REQUIRE(name.size() <= tarnwick::resolve::kMaxYouTubeFileName);
    }
    FUZZ_REQUIRE(name.front() != '.' && name.front() != ' ');
    FUZZ_REQUIRE(name.find_first_of("/\\") == std::string::npos);
    // A cut never splits a character of a name that was whole before.
    if (IsUtf8(link) && IsUtf8(server)) FUZZ_REQUIRE(IsUtf8(name));
    const std::string safe = tarnwick::resolve::WindowsSafeName(name);
    FUZZ_REQUIRE(!safe.empty() && safe.back() != '.' && safe.back() != ' ');
    return 0;
}
