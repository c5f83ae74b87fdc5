// The local file name of a resolved link: the server's suggested name, or
// the link's own last segment, fitted to the limits of a file name.
#pragma once

#include <string>

namespace tarnwick::resolve {

// Longest file names: in general, and for the one site whose links end in
// a signature rather than a name.
inline constexpr long kMaxFileName = 100;
inline constexpr long kMaxYouTubeFileName = 35;

// `remote_name` is what the probe found after "filename=" (may be empty).
// A link ending in ".flv" or ".wmv" is named by its own last segment; some
// sites get ".flv" added; long names keep their last four characters.
std::string DeriveFileName(const std::string& link, std::string remote_name, int site_index);

} // namespace tarnwick::resolve
