// The program's kept list, read and written in its own format (its SQLite
// store) while the program is not running.
#pragma once

#include <string>

namespace tarnwick::bench {

// Keeps `count` video page addresses, waiting, in `file`, as the program
// would have kept them. False when they could not all be written.
bool WriteKeptList(const std::string& file, int count);

// How many items `file` keeps; -1 when it cannot be read.
int CountKeptItems(const std::string& file);

} // namespace tarnwick::bench
