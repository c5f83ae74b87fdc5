// Recognises which supported video site a page address belongs to.
#pragma once

#include <string_view>

namespace tarnwick::resolve {

inline constexpr int kSiteNone = -1;
// Not a site recognition yields: a page of any other site, or a video file's
// own address, that the general page reader serves.
inline constexpr int kSiteGeneral = 0;
inline constexpr int kSiteGoogleVideo = 1;
inline constexpr int kSiteYouTube = 2;
inline constexpr int kSiteBolt = 3;
inline constexpr int kSiteMySpace = 4;
inline constexpr int kSiteAngryAlien = 5;
inline constexpr int kSiteThatVideoSite = 6;
inline constexpr int kSiteIFilm = 8;
inline constexpr int kSiteBreak = 9;
inline constexpr int kSiteBlipTv = 10;
inline constexpr int kSiteDailyMotion = 11;
inline constexpr int kSitePutFile = 12;
inline constexpr int kSiteZippyVideos = 13;

// The site index of the first site whose domain name occurs anywhere in the
// address (case-insensitive), in the order of the site table; -1 for none.
int GetSiteIndex(std::string_view address);

} // namespace tarnwick::resolve
