// Small helpers around addresses and platform texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::transfer {

// Splits an address into host and path, in place. A leading "http://" or
// "https://" (any letter case) is removed from `url`; the first "/" of the
// rest starts `path`, and the text before it is the host, a ":port" included.
// Without a "/" the whole rest is the host and `path` keeps its value.
void SplitUrl(std::string& url, std::string& path);

// True when the address begins with "https://" in any letter case.
bool IsSecureUrl(std::string_view url);

// True for a host name or IPv4 address, or an IPv6 address in brackets, with
// an optional ":port": what a probe may put between the scheme and the path.
bool IsPlainHost(std::string_view host);

// The address a probe asks: the link split into host and path, put together
// again with its scheme ("/" for an empty path). None when what stands
// between the scheme and the path is not a plain host.
std::optional<std::string> ProbeAddress(const std::string& link);

} // namespace tarnwick::transfer
