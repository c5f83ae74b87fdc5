// The folders the program works with. Paths are in the platform's own form,
// without a trailing separator.
#pragma once

#include <string>

namespace tarnwick::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

class AppPaths {
public:
    virtual ~AppPaths() = default;
    // The folder that holds the program's executable.
    virtual std::string ProgramFolder() const = 0;
    // The user's home folder.
    virtual std::string HomeFolder() const = 0;
    // The user's cache folder for this program.
    virtual std::string CacheFolder() const = 0;
    // The user's folder for this program's own data (the kept list).
    virtual std::string DataFolder() const = 0;
};

// `name` inside `folder`, with one separator between them.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

} // namespace tarnwick::platform
