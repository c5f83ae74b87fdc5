#include "transfer/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick::transfer::files {

int CreateNew(const std::string& path, int& error) {
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0) error = errno;
    return descriptor;
}

int OpenToResume(const std::string& path, int64_t least, int64_t& length, int& error) {
    // Not blocking: a FIFO planted at the name must not hold the program up.
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        error = errno;
        return -1;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1 ||
        status.st_size < least || ::fcntl(descriptor, F_SETFL, O_APPEND) != 0) {
        error = EINVAL;
        ::close(descriptor);
        return -1;
    }
    length = status.st_size;
    return descriptor;
}

bool Truncate(int descriptor, int& error) {
    if (::ftruncate(descriptor, 0) == 0) return true;
    error = errno;
    return false;
}

bool WriteAll(int descriptor, const char* data, size_t size, int& error) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error = written < 0 ? errno : EIO;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool Close(int descriptor, int& error) {
    if (::close(descriptor) == 0) return true;
    error = errno;
    return false;
}

int Duplicate(int descriptor) { return ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0); }

void StartWriting(int descriptor, int64_t from, int64_t length) {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(descriptor, from, length, SYNC_FILE_RANGE_WRITE);
#else
    (void)descriptor, (void)from, (void)length;
#endif
}

int SyncAndClose(int descriptor) {
    int error = ::fsync(descriptor) == 0 ? 0 : errno;
    int closed = 0;
    if (!Close(descriptor, closed) && error == 0) error = closed;
    return error;
}

bool BytesMayBeLost(int sync_error) {
    return sync_error == EIO || sync_error == ENOSPC || sync_error == EDQUOT;
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool CreateFolder(const std::string& path, int& error) {
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    error = errno;
    struct stat status {};
    // Already there: as long as it is a folder (or a link the user made to one).
    return error == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

namespace {

// 0 when `result` is, the error number otherwise.
int ErrorOf(int result) { return result == 0 ? 0 : errno; }

// Opens `path` without following a link and syncs it.
int Sync(const std::string& path, int flags) {
    const int descriptor = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return errno;
    const int error = ErrorOf(::fsync(descriptor));
    ::close(descriptor);
    return error;
}

class PosixFileSystem : public FileSystem {
public:
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        return ErrorOf(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
    }
    int Link(const std::string& from, const std::string& to) override {
        return ErrorOf(::link(from.c_str(), to.c_str()));
    }
    int CreateEmpty(const std::string& path) override {
        int error = 0;
        const int descriptor = CreateNew(path, error);
        if (descriptor < 0) return error;
        ::close(descriptor);
        return 0;
    }
    int Rename(const std::string& from, const std::string& to) override {
        return ErrorOf(::rename(from.c_str(), to.c_str()));
    }
    int RemoveName(const std::string& path) override { return ErrorOf(::unlink(path.c_str())); }
    int SyncFolder(const std::string& path) override { return Sync(path, O_RDONLY | O_DIRECTORY); }
};

} // namespace

FileSystem& SystemFileSystem() {
    // Holds no state: one serves everyone.
    static PosixFileSystem system;
    return system;
}

} // namespace tarnwick::transfer::files
