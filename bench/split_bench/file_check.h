// Whether a contender's file is the served one, so that a broken run is not
// counted as a fast one: its size, and its bytes in windows spread over it,
// at the cuts a split into two to eight parts makes and at places drawn from
// a fixed seed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::bench {

// Byte i of the expected file is test_support::GeneratedByte(i). None when
// the file looks right; what is wrong with it otherwise.
std::optional<std::string> FileProblem(const std::string& path, uint64_t size);

} // namespace tarnwick::bench
