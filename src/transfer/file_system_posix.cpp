#include "transfer/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick::transfer::files {

namespace {

// Success when `result` is 0, the failure of errno otherwise.
Status StatusOf(int result) {
    if (result == 0) return {};
    return FileError(errno);
}

} // namespace

Result<int> CreateNew(const std::string& path) {
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0) return FileError(errno);
    return descriptor;
}

Result<Resumable> OpenToResume(const std::string& path, int64_t least) {
    // Not blocking: a FIFO planted at the name must not hold the program up.
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return FileError(errno);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1 ||
        status.st_size < least || ::fcntl(descriptor, F_SETFL, O_APPEND) != 0) {
        ::close(descriptor);
        return FileError(EINVAL);
    }
    return Resumable{descriptor, status.st_size};
}

Status Truncate(int descriptor, int64_t length) {
    if (::ftruncate(descriptor, static_cast<off_t>(length)) != 0) return FileError(errno);
    // What is written next follows the bytes kept, also where the file is
    // not opened to append.
    return StatusOf(::lseek(descriptor, static_cast<off_t>(length), SEEK_SET) < 0 ? -1 : 0);
}

Status WriteAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return FileError(written < 0 ? errno : EIO);
        data += written;
        size -= static_cast<size_t>(written);
    }
    return {};
}

Status WriteAt(int descriptor, const char* data, size_t size, int64_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(descriptor, data, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return FileError(written < 0 ? errno : EIO);
        data += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return {};
}

Status WriteInPlace(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0) return FileError(errno);
    return StatusOf(::fcntl(descriptor, F_SETFL, flags & ~O_APPEND));
}

Status Reserve(int descriptor, int64_t length) {
#ifdef __linux__
    // fallocate, not posix_fallocate: where the file system cannot reserve,
    // the latter writes a byte into every block, which for gigabytes on a
    // FUSE mount would hold the program up for minutes.
    if (length <= 0 || ::fallocate(descriptor, 0, 0, static_cast<off_t>(length)) == 0) return {};
    if (errno == ENOSPC || errno == EFBIG || errno == EIO) return FileError(errno);
    return {};
#else
    (void)descriptor;
    (void)length;
    return {};
#endif
}

Status Close(int descriptor) { return StatusOf(::close(descriptor)); }

int Duplicate(int descriptor) { return ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0); }

void StartWriting(int descriptor, int64_t from, int64_t length) {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(descriptor, from, length, SYNC_FILE_RANGE_WRITE);
#else
    (void)descriptor, (void)from, (void)length;
#endif
}

int SyncAndClose(int descriptor) {
    const int error = ::fsync(descriptor) == 0 ? 0 : errno;
    const int closed = ::close(descriptor) == 0 ? 0 : errno;
    return error != 0 ? error : closed;
}

bool BytesMayBeLost(int sync_error) {
    return sync_error == EIO || sync_error == ENOSPC || sync_error == EDQUOT;
}

Status Remove(const std::string& path) { return StatusOf(::unlink(path.c_str())); }

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::optional<int64_t> SizeOf(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return static_cast<int64_t>(status.st_size);
}

int SyncFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) return errno;
    return SyncAndClose(descriptor);
}

Status CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0) return {};
    const int error = errno;
    struct stat status {};
    // Already there: as long as it is a folder (or a link the user made to one).
    if (error == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return {};
    return FileError(error);
}

namespace {

// Opens `path` without following a link and syncs it.
Status Sync(const std::string& path, int flags) {
    const int descriptor = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return FileError(errno);
    Status synced = StatusOf(::fsync(descriptor));
    ::close(descriptor);
    return synced;
}

class PosixFileSystem : public FileSystem {
public:
    Status RenameNoReplace(const std::string& from, const std::string& to) override {
        return StatusOf(
            ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
    }
    Status Link(const std::string& from, const std::string& to) override {
        return StatusOf(::link(from.c_str(), to.c_str()));
    }
    Status CreateEmpty(const std::string& path) override {
        const Result<int> descriptor = CreateNew(path);
        if (!descriptor) return descriptor.failure();
        ::close(descriptor.value());
        return {};
    }
    Status Rename(const std::string& from, const std::string& to) override {
        return StatusOf(::rename(from.c_str(), to.c_str()));
    }
    Status RemoveName(const std::string& path) override { return StatusOf(::unlink(path.c_str())); }
    Status SyncFolder(const std::string& path) override {
        return Sync(path, O_RDONLY | O_DIRECTORY);
    }
};

} // namespace

FileSystem& SystemFileSystem() {
    // Holds no state: one serves everyone.
    static PosixFileSystem system;
    return system;
}

} // namespace tarnwick::transfer::files
