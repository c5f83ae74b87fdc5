// The source of the first embedded player, for the sites whose page embeds
// the video file directly.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::resolve {

// The value after `opening` (the 12 characters "<embed src=" and its quote)
// up to the next `closing` quote; empty when it holds no "http", or when
// either is missing.
std::string EmbedSource(std::string_view page, std::string_view opening, std::string_view closing);

} // namespace tarnwick::resolve
