// The media hosts whose addresses some extractors assemble themselves,
// because the page (or only the address) carries just the file's id.
#pragma once

#include <string_view>

namespace tarnwick::resolve {

inline constexpr std::string_view kMySpaceMediaServer = "http://media.myspace.com/";
inline constexpr std::string_view kIFilmMediaServer = "http://media.ifilm.com/flv/";
inline constexpr std::string_view kBreakMediaServer = "http://media.break.com/dnet/media/";

} // namespace tarnwick::resolve
