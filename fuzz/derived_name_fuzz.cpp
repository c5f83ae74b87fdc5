// Random server names and links through the file naming, its cuts included.
#include "common/text.h"
#include "fuzz_check.h"
#include "resolve/derived_name.h"
#include "resolve/site_index.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
    if (tarnwick::text::IsUtf8(link) && tarnwick::text::IsUtf8(server))
        FUZZ_REQUIRE(tarnwick::text::IsUtf8(name));
    const std::string safe = tarnwick::resolve::WindowsSafeName(name);
    FUZZ_REQUIRE(!safe.empty() && safe.back() != '.' && safe.back() != ' ');
    return 0;
}
