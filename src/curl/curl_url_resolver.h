// Reference resolution by libcurl's URL parser, as curl resolves the Location
// of a redirect. Unlike RFC 3986 it normalises as it goes (an empty path
// becomes "/", an empty query goes, blanks in a relative reference are
// percent-encoded, "http:///x" names the host "x"), refuses a scheme it does
// not know, control characters and "http:g", and takes an empty or a
// fragment-only reference for a path of its own.
#pragma once

#include "platform/url_resolver.h"

namespace tarnwick::curl {

class CurlUrlResolver : public platform::UrlResolver {
public:
    std::optional<std::string> Resolve(std::string_view base,
                                       std::string_view reference) const override;
};

} // namespace tarnwick::curl
