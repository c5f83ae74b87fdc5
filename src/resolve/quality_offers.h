// What a page offers of its video, as a user thinks of it: the heights of
// its pictures with their sizes where known, whether it has sound, and its
// subtitles. Read from yt-dlp's answer for the item's "Quality…" choice.
#pragma once

#include "resolve/ytdlp_answer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick::resolve {

struct HeightOffer {
    int64_t height = 0;
    // The bytes of the largest download at that height (a picture without
    // sound counted with the best sound), where known.
    std::optional<int64_t> size;
    bool operator==(const HeightOffer&) const = default;
};

struct QualityOffers {
    // Tallest first, each height once.
    std::vector<HeightOffer> heights;
    bool sound = false;
    std::vector<SubtitleOffer> subtitles;
};

QualityOffers OffersOf(const YtDlpAnswer& answer);

} // namespace tarnwick::resolve
