#include "resolve/quality_offers.h"

#include "resolve/url_resolution.h"

#include <algorithm>

namespace tarnwick::resolve {
namespace {

bool Has(const std::optional<std::string>& codec) { return !codec || *codec != "none"; }

std::optional<int64_t> SizeOf(const YtDlpFormat& format) {
    return format.filesize ? format.filesize : format.filesize_approx;
}

} // namespace

QualityOffers OffersOf(const YtDlpAnswer& answer) {
    QualityOffers offers;
    std::vector<const YtDlpFormat*> formats;
    if (answer.formats.empty()) formats.push_back(&answer.own);
    for (const YtDlpFormat& format : answer.formats) formats.push_back(&format);
    std::erase_if(formats, [](const YtDlpFormat* f) { return !IsWebAddress(f->url); });
    std::optional<int64_t> sound_size;
    for (const YtDlpFormat* format : formats) {
        if (!Has(format->acodec)) continue;
        offers.sound = true;
        if (!Has(format->vcodec) && SizeOf(*format))
            sound_size = std::max(sound_size.value_or(0), *SizeOf(*format));
    }
    for (const YtDlpFormat* format : formats) {
        if (!Has(format->vcodec) || !format->height) continue;
        std::optional<int64_t> size = SizeOf(*format);
        if (size && !Has(format->acodec))
            size = sound_size ? std::optional(*size + *sound_size) : size;
        auto same = std::find_if(offers.heights.begin(), offers.heights.end(),
                                 [&](const HeightOffer& o) { return o.height == *format->height; });
        if (same == offers.heights.end()) {
            offers.heights.push_back({*format->height, size});
        } else if (size) {
            same->size = std::max(same->size.value_or(0), *size);
        }
    }
    std::sort(offers.heights.begin(), offers.heights.end(),
              [](const HeightOffer& a, const HeightOffer& b) { return a.height > b.height; });
    offers.subtitles = answer.subtitles;
    return offers;
}

} // namespace tarnwick::resolve
