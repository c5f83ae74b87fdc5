// The names the user types for files in the grid's editor: a name typed
// without an extension keeps the file's type.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::resolve {

// The extension `name` ends in, with its dot: one to five letters and
// digits, at least one a letter, after a dot that is not the name's first
// character ("clip.mp4" gives ".mp4"; "Trip 1.5" and ".profile" have none).
std::string_view ExtensionOf(std::string_view name);

// The typed name, cleaned as every file name is; one without an extension
// of its own takes that of `current` ("holiday" for "clip.mp4" gives
// "holiday.mp4", "holiday.mkv" stays), less the dots and blanks it ended in.
// A name that cleans to nothing is kEnterFileName, which names no file.
std::string TypedFileName(std::string_view typed, std::string_view current);

} // namespace tarnwick::resolve
