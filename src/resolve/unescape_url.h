// Percent-decoding of addresses found in video pages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::resolve {

// A decoded address must be shorter than this; longer ones are refused.
inline constexpr std::size_t kUnescapedUrlLimit = 1024;

// The address with every "%" and two hexadecimal digits (either case)
// replaced by the byte they give, across the whole address, query included.
// "+" stays "+". A "%" without two hexadecimal digits after it stays as it
// is, and so does "%00": a zero byte would cut the address short wherever it
// is handed on as a C string. Empty for an empty address and for a result of
// kUnescapedUrlLimit characters or more.
std::string UnescapeUrl(std::string_view address);

} // namespace tarnwick::resolve
