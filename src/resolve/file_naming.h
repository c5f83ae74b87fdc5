// Size texts and file-name cleaning shared by naming, progress and editing.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::resolve {

inline constexpr const char* kEnterFileName = "Enter File Name";

// A byte count as " Bytes", " KB", " MB" or " GB" text (one decimal at most,
// halves to even, no trailing zero); empty from 2^40 bytes on.
std::string FormatFileSize(float size);

// The name without the characters that a file name may not hold, nor the
// format characters (bidirectional controls, zero-width characters) that
// would make it look like another. A name that keeps nothing, or only dots,
// becomes "Enter File Name".
std::string CleanFileName(std::string_view name);

} // namespace tarnwick::resolve
