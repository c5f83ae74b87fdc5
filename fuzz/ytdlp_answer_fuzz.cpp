// Random answers of yt-dlp through the reader and the choice of download:
// whatever it prints, what is chosen is an http(s) address whose headers
// make sound request lines, and a kept choice reads back as it was.
#include "fuzz_check.h"
#include "resolve/kept_choice.h"
#include "resolve/url_resolution.h"
#include "resolve/ytdlp_answer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace tarnwick::resolve;

void CheckPart(const DownloadPart& part) {
    FUZZ_REQUIRE(IsWebAddress(part.url));
    for (const std::string& line : HeaderLines(part.headers)) {
        FUZZ_REQUIRE(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)YtDlpErrorText(text);
    (void)YtDlpVersionDate(text);
    const tarnwick::Result<YtDlpAnswer> answer = ReadYtDlpAnswer(text);
    if (!answer) return 0;
    FUZZ_REQUIRE(answer.value().entries.size() <= kMaxPlaylistEntries);
    for (const std::string& entry : answer.value().entries) FUZZ_REQUIRE(IsWebAddress(entry));
    for (const bool can_join : {false, true}) {
        const tarnwick::Result<YtDlpChoice> choice = ChooseDownload(answer.value(), can_join);
        if (!choice) continue;
        CheckPart(choice.value().video);
        if (choice.value().audio) {
            FUZZ_REQUIRE(can_join);
            CheckPart(*choice.value().audio);
        }
        FUZZ_REQUIRE(!choice.value().file_name.empty());
        FUZZ_REQUIRE(choice.value().file_name.find('/') == std::string::npos);
        const std::optional<YtDlpChoice> kept = ReadKeptChoice(KeepChoice(choice.value()));
        FUZZ_REQUIRE(kept.has_value());
    }
    return 0;
}
