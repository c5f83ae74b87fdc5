// The few file operations a download needs, each done by one system call so
// that nothing can slip in between a check and a write: a new file is made
// only where nothing is, never through a link, and a finished file takes its
// name only where nothing has it. Failures come back as the system's error
// number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnwick::transfer::files {

// Creates `path` as a new, empty regular file open for writing (mode 0644
// less the umask); fails with EEXIST where anything, a link included, is.
// The open file's descriptor, or -1 with `error` set.
int CreateNew(const std::string& path, int& error);
// Opens `path`, a temporary file of an earlier transfer, to write on at its
// end: never through a link, never anything but a regular file with exactly
// one name, and only when it holds at least `least` bytes (EINVAL otherwise).
// The descriptor, with the file's length in `length`, or -1 with `error`.
int OpenToResume(const std::string& path, int64_t least, int64_t& length, int& error);
// Cuts the open file back to nothing; what is written next starts it.
bool Truncate(int descriptor, int& error);
bool WriteAll(int descriptor, const char* data, size_t size, int& error);
bool Close(int descriptor, int& error);

// Gives the file at `from` the name `to` unless something has that name
// already, which is then left as it is (EEXIST).
bool ClaimName(const std::string& from, const std::string& to, int& error);

// Removes the name `path` (a link itself, never what it points to).
void Remove(const std::string& path);

// Whether anything has the name `path`, a dangling link included.
bool Exists(const std::string& path);

// Creates the folder `path`, one level only: its parent must exist. True when
// the folder is there afterwards.
bool CreateFolder(const std::string& path, int& error);

} // namespace tarnwick::transfer::files
