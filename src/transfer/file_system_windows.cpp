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

int Moved(const std::string& from, const std::string& to, DWORD flags) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags) ? 0 : LastError();
}

class WindowsFileSystem : public FileSystem {
public:
    // Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced.
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        return Moved(from, to, 0);
    }
    int Link(const std::string& from, const std::string& to) override {
        return CreateHardLinkW(Wide(to).c_str(), Wide(from).c_str(), nullptr) ? 0 : LastError();
    }
    int CreateEmpty(const std::string& path) override {
        int error = 0;
        const int descriptor = CreateNew(path, error);
        if (descriptor < 0) return error;
        _close(descriptor);
        return 0;
    }
    int Rename(const std::string& from, const std::string& to) override {
        return Moved(from, to, MOVEFILE_REPLACE_EXISTING);
    }
    int RemoveName(const std::string& path) override {
        return DeleteFileW(Wide(path).c_str()) ? 0 : LastError();
    }
    // Windows writes a folder's names through by itself.
    int SyncFolder(const std::string&) override { return 0; }
};

} // namespace

FileSystem& SystemFileSystem() {
    static WindowsFileSystem system;
    return system;
}

int CreateNew(const std::string& path, int& error) {
    const int descriptor = _wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                  _S_IREAD | _S_IWRITE);
    if (descriptor < 0) error = errno;
    return descriptor;
}

int OpenToResume(const std::string& path, int64_t least, int64_t& length, int& error) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        error = EINVAL;
        return -1;
    }
    const int descriptor = _wopen(Wide(path).c_str(), _O_WRONLY | _O_APPEND | _O_BINARY);
    struct _stat64 status {};
    if (descriptor < 0 || _fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFREG) == 0 ||
        status.st_size < least) {
        error = descriptor < 0 ? errno : EINVAL;
        if (descriptor >= 0) _close(descriptor);
        return -1;
    }
    length = status.st_size;
    return descriptor;
}

bool Truncate(int descriptor, int& error) {
    if (_chsize_s(descriptor, 0) == 0) return true;
    error = errno;
    return false;
}

bool WriteAll(int descriptor, const char* data, size_t size, int& error) {
    while (size > 0) {
        const int written = _write(descriptor, data, static_cast<unsigned>(size));
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
    if (_close(descriptor) == 0) return true;
    error = errno;
    return false;
}

int Duplicate(int descriptor) { return _dup(descriptor); }

// Windows writes behind by itself.
void StartWriting(int, int64_t, int64_t) {}

int SyncAndClose(int descriptor) {
    int error = _commit(descriptor) == 0 ? 0 : errno;
    int closed = 0;
    if (!Close(descriptor, closed) && error == 0) error = closed;
    return error;
}

bool BytesMayBeLost(int sync_error) { return sync_error == EIO || sync_error == ENOSPC; }

void Remove(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

bool Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolder(const std::string& path, int& error) {
    if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    error = EEXIST;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace tarnwick::transfer::files
