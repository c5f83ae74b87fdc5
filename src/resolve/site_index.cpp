#include "resolve/site_index.h"

#include "common/text.h"

namespace tarnwick::resolve {
namespace {

struct SiteDomain {
    int index;
    const char* domain;
};

// Searched top to bottom; the first match wins.
constexpr SiteDomain kSiteDomains[] = {
    {kSiteGoogleVideo, "google.com"},
    {kSiteYouTube, "youtube.com"},
    {kSiteBolt, "bolt.com"},
    {kSiteMySpace, "myspace.com"},
    {kSiteAngryAlien, "angryalien.com"},
    {kSiteThatVideoSite, "thatvideosite.com"},
    {kSiteIFilm, "ifilm.com"},
    {kSiteBreak, "break.com"},
    {kSiteBlipTv, "blip.tv"},
    {kSiteDailyMotion, "dailymotion.com"},
    {kSitePutFile, "putfile.com"},
    {kSiteZippyVideos, "zippyvideos.com"},
};

} // namespace

int GetSiteIndex(std::string_view address) {
    for (const SiteDomain& site : kSiteDomains) {
        if (text::Find(address, site.domain, 1) > 0) return site.index;
    }
    return kSiteNone;
}

} // namespace tarnwick::resolve
