// The site extractors: each builds the direct address of the video file from
// the page address (`sLink`) and the fetched page text, by that site's fixed
// sequence of marker searches. Each one answers the empty text when a marker
// it needs is missing, or when the address or the page puts a position it
// computes out of range. Call them through ExtractLink, which also answers
// the empty text for an empty page.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::resolve {

std::string GetGoogleVideoLink(std::string_view sLink, std::string_view page);
std::string GetYouTubeLink(std::string_view sLink, std::string_view page);
std::string GetBoltLink(std::string_view sLink, std::string_view page);
std::string GetMySpaceLink(std::string_view sLink, std::string_view page);
std::string GetAngryAlienLink(std::string_view sLink, std::string_view page);
std::string GetThatVideoSiteLink(std::string_view sLink, std::string_view page);
std::string GetIFilmLink(std::string_view sLink, std::string_view page);
std::string GetBreakLink(std::string_view sLink, std::string_view page);
std::string GetBlipTvLink(std::string_view sLink, std::string_view page);
std::string GetDailyMotionLink(std::string_view sLink, std::string_view page);
std::string GetPutFileLink(std::string_view sLink, std::string_view page);
std::string GetZippyVideosLink(std::string_view sLink, std::string_view page);

} // namespace tarnwick::resolve
