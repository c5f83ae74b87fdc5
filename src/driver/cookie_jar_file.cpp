#include "driver/cookie_jar_file.h"

#include "common/write_all.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace tarnwick::driver {
Result<CookieJarFile> CookieJarFile::Write(const std::string& folder,
                                           const std::vector<handoff::BrowserCookie>& cookies) {
    std::string name = folder + "/tarnwick-cookies-XXXXXX";
    // mkstemp makes the file with mode 0600 and refuses a name that exists.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return SystemFailure(Reason::kWriteFailed, errno);
    CookieJarFile file(name);
    const bool written = WriteAll(fd, handoff::NetscapeFile(cookies));
    const int error = errno;
    ::close(fd);
    if (!written) return SystemFailure(Reason::kWriteFailed, error != 0 ? error : EIO);
    return file;
}

CookieJarFile::CookieJarFile(CookieJarFile&& other) noexcept
    : path_(std::exchange(other.path_, std::string())) {}

CookieJarFile::~CookieJarFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

} // namespace tarnwick::driver
