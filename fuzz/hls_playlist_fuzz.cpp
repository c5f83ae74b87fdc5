// Random playlists through the master and media readers, the choice of a
// stream and the check before a download.
#include "fuzz_check.h"
#include "hls/master_playlist.h"
#include "hls/media_playlist.h"
#include "resolve/url_resolution.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace tarnwick::hls;

constexpr std::string_view kAddress = "https://cdn.example.org/v/index.m3u8";

void CheckMaster(std::string_view text) {
    const tarnwick::Result<MasterPlaylist> playlist = ParseMasterPlaylist(text, kAddress);
    if (!playlist) return;
    const tarnwick::Result<StreamChoice> choice = ChooseStream(playlist.value());
    FUZZ_REQUIRE(choice.has_value() == !playlist.value().variants.empty());
    if (choice && choice.value().IsAudioSeparate()) {
        FUZZ_REQUIRE(choice.value().separate_audio->uri.has_value());
    }
}

void CheckMedia(std::string_view text) {
    const tarnwick::Result<MediaPlaylist> playlist = ParseMediaPlaylist(text, kAddress);
    if (!playlist || !CheckDownloadable(playlist.value())) return;
    const MediaPlaylist& media = playlist.value();
    FUZZ_REQUIRE(!media.segments.empty());
    for (size_t index = 0; index < media.segments.size(); ++index) {
        const Segment& segment = media.segments[index];
        FUZZ_REQUIRE(tarnwick::resolve::IsWebAddress(segment.uri));
        FUZZ_REQUIRE(segment.sequence == media.media_sequence + index);
        FUZZ_REQUIRE(segment.key.method == KeyMethod::kNone ||
                     segment.key.method == KeyMethod::kAes128);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckMaster(text);
    CheckMedia(text);
    return 0;
}
