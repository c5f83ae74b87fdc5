// The page file: where a page fetch puts the page that the site extractors
// then read whole.
#pragma once

#include <stdexcept>
#include <string>

namespace tarnwick::resolve {

inline constexpr const char* kPageFileName = "Parse.wvi";

class PageFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole content of the file, one character per byte. Throws
// PageFileError when the file is missing, unreadable or empty.
std::string ReadPageFile(const std::string& path);

} // namespace tarnwick::resolve
