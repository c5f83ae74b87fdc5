// Which video an item was, whatever address it came by, so that the history
// knows it again: yt-dlp's extractor and id (as yt-dlp's own download
// archive writes them), a supported site's video id, or the video file's
// address with its size and version.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::resolve {

// "youtube dQw4w9WgXcQ": the extractor's key in small letters, a space and
// the id; empty when either is missing or holds a line break.
std::string YtDlpIdentity(std::string_view extractor_key, std::string_view id);

// A supported site's video: YouTube's by its id, as yt-dlp names it; any
// other site's by its page address without its scheme, "www." and fragment
// ("site:11 dailymotion.com/video/x7"). Empty for the general page reader.
std::string SiteIdentity(int site, std::string_view page_address);

// A video file's: its address without query and fragment, its size, and
// its validator where the server gave one
// ("file:https://cdn.example/v.mp4 1048576 \"abc\"").
std::string FileIdentity(std::string_view address, int64_t size, std::string_view validator);

// Whether an identity is of the form yt-dlp's download archive holds.
bool IsArchiveIdentity(std::string_view identity);

// The identities of a yt-dlp download archive's lines, in order: each line
// "extractor id", blanks around it left out; lines of another form are not
// read.
std::vector<std::string> ReadArchive(std::string_view text);
// The archive's text of those `identities` that are of its form, a line each.
std::string ArchiveText(const std::vector<std::string>& identities);

} // namespace tarnwick::resolve
