// Addresses as people paste them: cleaned before they are listed, and told
// apart from texts that are no video address at all.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::resolve {

// The address without the blanks, control characters, no-break spaces and
// byte-order marks around it. A text that does not begin with a scheme and
// reads as a host and a path ("www.bolt.com/video/1",
// "192.168.1.10:8000/movie.mp4", "localhost:8080/a.mp4"), or as a host
// beginning with "www.", gets "http://" in front. Any other text is only
// trimmed.
std::string CleanAddress(std::string_view text);

// Whether a cleaned text can be one address: at most 8 KiB, without blanks
// or control characters. A paragraph that mentions a site is none.
bool IsOneAddress(std::string_view text);

// An http or https address whose path ends in the extension of a video file
// (.mp4, .m4v, .webm, .mkv, .mov, .ogv, .flv, .avi, .wmv, .3gp; any case).
bool IsDirectVideoLink(std::string_view address);

// Whether a copied text, cleaned, is an address the clipboard monitor takes
// (the watcher program and the polling that stands in for it alike): one
// http or https address, of a supported site's page or a direct link to a
// video file (listed then as a typed one is: for the general page reader
// while it is on). Any other page, and any text that only mentions an
// address, is left alone.
bool IsCopiedVideoAddress(std::string_view address);

// The addresses the clipboard monitor takes from a copied text, the watcher
// program and the polling alike: each line that, cleaned, it would take
// alone (IsCopiedVideoAddress), cleaned, in the text's order. A line that
// only mentions an address is left out, and the others are taken still.
std::vector<std::string> CopiedVideoAddresses(std::string_view text);

} // namespace tarnwick::resolve
