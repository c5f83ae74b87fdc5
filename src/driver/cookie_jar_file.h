// A Netscape cookies.txt of an item's cookies for a helper program to read:
// made anew under a name of its own, readable by the user alone from the
// first byte, and removed when the owner lets it go.
#pragma once

#include "common/result.h"
#include "handoff/item_context.h"

#include <string>
#include <vector>

namespace tarnwick::driver {

class CookieJarFile {
public:
    // Writes `cookies` into a new file in `folder`.
    static Result<CookieJarFile> Write(const std::string& folder,
                                       const std::vector<handoff::BrowserCookie>& cookies);

    CookieJarFile(CookieJarFile&& other) noexcept;
    CookieJarFile& operator=(CookieJarFile&&) = delete;
    CookieJarFile(const CookieJarFile&) = delete;
    ~CookieJarFile();

    const std::string& Path() const { return path_; }

private:
    explicit CookieJarFile(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

} // namespace tarnwick::driver
