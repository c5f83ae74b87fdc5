#include "transfer/file_system.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <direct.h>
#include <cerrno>

namespace tarnwick::transfer::files {
namespace {

std::wstring Wide(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

// The error number of the last failed call, as far as the callers tell them apart.
int LastError() {
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return EEXIST;
    if (code == ERROR_ACCESS_DENIED) return EACCES;
    if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) return ENOSPC;
    return EIO;
}

// Success when the call `succeeded`, the failure of the last error otherwise.
Status StatusOf(bool succeeded) {
    if (succeeded) return {};
    return FileError(LastError());
}

Status Moved(const std::string& from, const std::string& to, DWORD flags) {
    return StatusOf(MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags));
}

class WindowsFileSystem : public FileSystem {
public:
    // Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced.
    Status RenameNoReplace(const std::string& from, const std::string& to) override {
        return Moved(from, to, 0);
    }
    Status Link(const std::string& from, const std::string& to) override {
        return StatusOf(CreateHardLinkW(Wide(to).c_str(), Wide(from).c_str(), nullptr));
    }
    Status CreateEmpty(const std::string& path) override {
        const Result<int> descriptor = CreateNew(path);
        if (!descriptor) return descriptor.failure();
        _close(descriptor.value());
        return {};
    }
    Status Rename(const std::string& from, const std::string& to) override {
        return Moved(from, to, MOVEFILE_REPLACE_EXISTING);
    }
    Status RemoveName(const std::string& path) override {
        return StatusOf(DeleteFileW(Wide(path).c_str()));
    }
    // Windows writes a folder's names through by itself.
    Status SyncFolder(const std::string&) override { return {}; }
};

} // namespace

FileSystem& SystemFileSystem() {
    static WindowsFileSystem system;
    return system;
}

Result<int> CreateNew(const std::string& path) {
    const int descriptor = _wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                  _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return FileError(errno);
    return descriptor;
}

Result<Resumable> OpenToResume(const std::string& path, int64_t least) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return FileError(EINVAL);
    }
    const int descriptor = _wopen(Wide(path).c_str(), _O_WRONLY | _O_APPEND | _O_BINARY);
    if (descriptor < 0) return FileError(errno);
    struct _stat64 status {};
    if (_fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFREG) == 0 ||
        status.st_size < least) {
        _close(descriptor);
        return FileError(EINVAL);
    }
    return Resumable{descriptor, status.st_size};
}

Status Truncate(int descriptor, int64_t length) {
    if (_chsize_s(descriptor, length) == 0) return {};
    return FileError(errno);
}

Status WriteAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        const int written = _write(descriptor, data, static_cast<unsigned>(size));
        if (written <= 0) return FileError(written < 0 ? errno : EIO);
        data += written;
        size -= static_cast<size_t>(written);
    }
    return {};
}

Status WriteAt(int descriptor, const char* data, size_t size, int64_t offset) {
    if (_lseeki64(descriptor, offset, SEEK_SET) < 0) return FileError(errno);
    return WriteAll(descriptor, data, size);
}

// Files are not opened to append on Windows.
Status WriteInPlace(int) { return {}; }

// NTFS gives a file its room as it grows.
Status Reserve(int, int64_t) { return {}; }

Status Close(int descriptor) {
    if (_close(descriptor) == 0) return {};
    return FileError(errno);
}

int Duplicate(int descriptor) { return _dup(descriptor); }

// Windows writes behind by itself.
void StartWriting(int, int64_t, int64_t) {}

int SyncAndClose(int descriptor) {
    const int error = _commit(descriptor) == 0 ? 0 : errno;
    const int closed = _close(descriptor) == 0 ? 0 : errno;
    return error != 0 ? error : closed;
}

bool BytesMayBeLost(int sync_error) { return sync_error == EIO || sync_error == ENOSPC; }

Status Remove(const std::string& path) { return StatusOf(DeleteFileW(Wide(path).c_str())); }

bool Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<int64_t> SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return std::nullopt;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Files are flushed when their writer closes them.
int SyncFile(const std::string&) { return 0; }

Status CreateFolder(const std::string& path) {
    if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return {};
    const int error = LastError();
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {};
    }
    return FileError(error);
}

} // namespace tarnwick::transfer::files
