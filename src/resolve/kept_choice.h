// A choice of download, as an item keeps it between runs of the program: a
// restart goes on with it without asking the resolver again.
#pragma once

#include "resolve/ytdlp_answer.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::resolve {

// The choice as one line of compact JSON.
std::string KeepChoice(const YtDlpChoice& choice);

// The choice kept so; none when the text is no such choice, or names an
// address that is not http(s).
std::optional<YtDlpChoice> ReadKeptChoice(std::string_view kept);

} // namespace tarnwick::resolve
