// The few file operations a download needs, each done by one system call so
// that nothing can slip in between a check and a write: a new file is made
// only where nothing is, never through a link, and a finished file takes its
// name only where nothing has it. Failures come back carrying the system's
// error (see FileError).
#pragma once

#include "common/result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::transfer::files {

// The failure of a file call that the system refused with the error number
// `error`: a write failure, in the system's words, with the error in
// `system`.
inline Failure FileError(int error) { return SystemFailure(Reason::kWriteFailed, error); }
// Whether `result` failed with the error number `error`.
template <typename T>
bool FailedWith(const Result<T>& result, int error) {
    return !result && result.failure().system == std::error_code(error, std::generic_category());
}

// The error number of `status`, 0 when it succeeded: for background work,
// which answers error numbers.
inline int ErrorNumberOf(const Status& status) {
    return status ? 0 : status.failure().system.value();
}

// Creates `path` as a new, empty regular file open for writing (mode 0644
// less the umask); fails with EEXIST where anything, a link included, is.
// The open file's descriptor.
Result<int> CreateNew(const std::string& path);
struct Resumable {
    int descriptor = -1;
    int64_t length = 0; // the file's bytes
};
// Opens `path`, a temporary file of an earlier transfer, to write on at its
// end: never through a link, never anything but a regular file with exactly
// one name, and only when it holds at least `least` bytes (EINVAL otherwise).
Result<Resumable> OpenToResume(const std::string& path, int64_t least);
// Cuts the open file back to its first `length` bytes; what is written next
// follows them.
Status Truncate(int descriptor, int64_t length = 0);
Status WriteAll(int descriptor, const char* data, size_t size);
// Writes all of `data` at byte `offset` of the open file, wherever its end is.
Status WriteAt(int descriptor, const char* data, size_t size, int64_t offset);
// Writes from now on go where WriteAt puts them, not after the file's end.
Status WriteInPlace(int descriptor);
// Gives the open file room for `length` bytes on the disk, so that a full
// disk shows before any byte is written: fails with ENOSPC then. Where the
// file system cannot reserve room (FUSE, network shares), it does nothing
// and succeeds; it never writes the room out byte by byte.
Status Reserve(int descriptor, int64_t length);
Status Close(int descriptor);
// Waits until the disk has the open file's bytes, then closes it: 0, or the
// error number of the sync (else of the close). It runs as background work,
// which answers error numbers.
int SyncAndClose(int descriptor);
// A second descriptor of the open file, which the caller closes; -1 on failure.
int Duplicate(int descriptor);
// Has the disk start writing `length` bytes of the file from `from`, without
// waiting for them; does nothing where the system cannot.
void StartWriting(int descriptor, int64_t from, int64_t length);

// Whether a sync that failed so says the bytes may not be on the disk; file
// systems that cannot sync at all (EINVAL, EROFS, ...) say nothing of them.
bool BytesMayBeLost(int sync_error);

// Removes the name `path` (a link itself, never what it points to).
Status Remove(const std::string& path);

// Whether anything has the name `path`, a dangling link included.
bool Exists(const std::string& path);

// The size of the regular file `path` (not through a link); none for
// anything else, or nothing.
std::optional<int64_t> SizeOf(const std::string& path);

// Waits until the disk has the bytes of the regular file `path` (not through
// a link): 0, or the error number. It runs as background work.
int SyncFile(const std::string& path);

// Creates the folder `path`, one level only: its parent must exist. Succeeds
// when the folder is there afterwards.
Status CreateFolder(const std::string& path);

// The calls that give a finished file its name and make it last, each
// failing with the system's error. File systems refuse different
// ones: FUSE mounts (exFAT, GVFS, many network shares) refuse renameat2's
// no-replace flag and hard links alike, so a claim tries them in turn.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // `to` takes the file at `from` unless something has that name (EEXIST).
    virtual Status RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // A second name `to` for the file at `from`, unless something has it.
    virtual Status Link(const std::string& from, const std::string& to) = 0;
    // An empty file at `path` where nothing is, never through a link.
    virtual Status CreateEmpty(const std::string& path) = 0;
    // `to` takes the file at `from`, replacing what has that name.
    virtual Status Rename(const std::string& from, const std::string& to) = 0;
    virtual Status RemoveName(const std::string& path) = 0;
    // Writes the folder's names through to the disk.
    virtual Status SyncFolder(const std::string& path) = 0;
};

// The system's own.
FileSystem& SystemFileSystem();

// Gives the file at `from` the name `to`, never replacing anything. Fails
// with EEXIST when something else has the name, and otherwise with the
// error of the last way tried, the file then still at `from`. Where neither
// atomic way works, an empty file takes the name first and the file is
// renamed over it.
Status ClaimName(FileSystem& files, const std::string& from, const std::string& to);

} // namespace tarnwick::transfer::files
