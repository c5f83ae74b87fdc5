// The local file name of a resolved link: the server's suggested name, or
// the link's own last segment, fitted to the limits of a file name.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::resolve {

// Longest file names in bytes: in general, and for the one site whose links
// end in a signature rather than a name.
inline constexpr size_t kMaxFileName = 100;
inline constexpr size_t kMaxYouTubeFileName = 35;

// `remote_name` is the name the server suggested (may be empty). A link
// ending in ".flv" or ".wmv" is named by its own last segment; some sites get
// ".flv" added. A link the general page reader found is named by the server,
// else by the last segment of its path, decoded, and gets no extension added. The name keeps no
// leading dots or blanks, and a long one is cut on a character boundary, keeping an extension of up
// to five characters; the blanks and dots the cut leaves at its end go.
std::string DeriveFileName(const std::string& link, std::string remote_name, int site_index);

// At most `limit` bytes of `text`, fewer where the cut would split a UTF-8
// character; bytes that are not UTF-8 are cut where the limit falls.
std::string_view CutAtCharacter(std::string_view text, size_t limit);

// A name Windows can create: a reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, with or without an extension) gets a "_" in front, and
// trailing dots and blanks go. Applied to derived names on Windows builds.
std::string WindowsSafeName(std::string name);

// `name` with `extension` (".mp4", or empty) in place of its own, if it has
// one of at most five characters.
std::string WithExtension(const std::string& name, std::string_view extension);

// The extension of a file of the media type `type` ("video/mp4" gives
// ".mp4"); empty for a type that names none.
std::string ExtensionOfType(std::string_view type);

// The name a download's file is given: a title as it stands (its dots are no
// extension), cut to leave room for `extension`; without one, the name the
// link and the server's suggestion give, with `extension` in place of its own
// where one is given. A name left without an extension takes that of the
// answer's media `type`; a title, ".mp4" when the type names none.
std::string NameOfFile(std::string_view title, const std::string& link, std::string suggested,
                       int site_index, std::string_view extension, std::string_view type = {});

// "name (n).ext", or "name (n)" for a name without an extension: the name a
// file takes when `name` is taken.
std::string NumberedName(const std::string& name, int number);

} // namespace tarnwick::resolve
