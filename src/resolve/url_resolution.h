// Addresses as a page writes them, made absolute: reference resolution after
// RFC 3986, and the web addresses (http and https) a video can come from.
// Not on curl's URL parser (see its test in tests/curl): that one encodes blanks
// ("+" in a query), drops an empty query and refuses control characters, so
// an address would no longer be the one the page wrote.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::resolve {

// `reference` resolved against the absolute address `base` (RFC 3986,
// section 5.2, strict: a reference with a scheme is absolute as it stands).
// Nothing is checked or normalised beyond the removal of dot segments.
std::string ResolveReference(std::string_view base, std::string_view reference);

// An absolute http or https address (the scheme in any case) with a host.
bool IsWebAddress(std::string_view address);

// The web address that an address written in a page names, when `base` is
// the page's base address: the blanks and control characters around it
// trimmed, tabs and line breaks in it dropped, resolved against `base`, the
// scheme in lower case, without its fragment, any other control character
// percent-encoded. Nothing for another scheme (blob:, data:, javascript:...),
// nor for a relative address when `base` is no web address.
std::optional<std::string> WebAddressIn(std::string_view base, std::string_view written);

} // namespace tarnwick::resolve
