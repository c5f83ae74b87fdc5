// Random subtitle pieces, a server's, joined: a join that succeeds is one
// WebVTT file of cues, and joined again alone it stays as it is.
#include "fuzz_check.h"
#include "hls/webvtt_pieces.h"
#include "resolve/video_identity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Pieces are separated by a NUL, as no text piece holds one.
    std::vector<std::string> pieces;
    for (size_t start = 0; start <= input.size();) {
        const size_t end = std::min(input.find('\0', start), input.size());
        pieces.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    const tarnwick::Result<std::string> joined = tarnwick::hls::JoinWebVttPieces(pieces);
    if (joined) {
        FUZZ_REQUIRE(joined.value().starts_with("WEBVTT\n\n"));
        FUZZ_REQUIRE(joined.value().find("-->") != std::string::npos);
        const tarnwick::Result<std::string> again = tarnwick::hls::JoinWebVttPieces({joined.value()});
        FUZZ_REQUIRE(again && again.value() == joined.value());
    }
    // The same bytes as a download archive: what is read is written back as it was.
    const std::vector<std::string> identities = tarnwick::resolve::ReadArchive(input);
    const std::string text = tarnwick::resolve::ArchiveText(identities);
    FUZZ_REQUIRE(tarnwick::resolve::ReadArchive(text) == identities);
    return 0;
}
