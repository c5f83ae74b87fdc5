// Bodies in the content codings servers send: made with zlib, so that a test
// can serve any bytes compressed.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::test_support {

// `bytes` as Content-Encoding "gzip" sends them (RFC 1952).
std::string Gzipped(std::string_view bytes);
// `bytes` as Content-Encoding "deflate" sends them: the zlib format (RFC 1950).
std::string Deflated(std::string_view bytes);

} // namespace tarnwick::test_support
