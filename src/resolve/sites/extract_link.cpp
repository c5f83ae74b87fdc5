#include "resolve/sites/extract_link.h"

#include "resolve/site_index.h"
#include "resolve/sites/extractors.h"

namespace tarnwick::resolve {
namespace {

struct SiteExtractor {
    int site_index;
    Extractor extract;
};

constexpr SiteExtractor kSiteExtractors[] = {
    {kSiteGoogleVideo, GetGoogleVideoLink},
    {kSiteYouTube, GetYouTubeLink},
    {kSiteBolt, GetBoltLink},
    {kSiteMySpace, GetMySpaceLink},
    {kSiteAngryAlien, GetAngryAlienLink},
    {kSiteThatVideoSite, GetThatVideoSiteLink},
    {kSiteIFilm, GetIFilmLink},
    {kSiteBreak, GetBreakLink},
    {kSiteBlipTv, GetBlipTvLink},
    {kSiteDailyMotion, GetDailyMotionLink},
    {kSitePutFile, GetPutFileLink},
    {kSiteZippyVideos, GetZippyVideosLink},
};

} // namespace

Extractor ExtractorFor(int site_index) {
    for (const SiteExtractor& entry : kSiteExtractors) {
        if (entry.site_index == site_index) return entry.extract;
    }
    return nullptr;
}

std::string ExtractLink(int site_index, std::string_view sLink, std::string_view page) {
    const Extractor extract = ExtractorFor(site_index);
    if (extract == nullptr || page.empty()) return {};
    return extract(sLink, page);
}

} // namespace tarnwick::resolve
