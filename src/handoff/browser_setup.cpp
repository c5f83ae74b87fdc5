#include "handoff/browser_setup.h"

#include "common/write_all.h"
#include "handoff/our_extension.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::handoff {
namespace fs = std::filesystem;
namespace {

constexpr const char* kChromiumHosts = "NativeMessagingHosts";

BrowserPlace Chromium(const char* name, const std::string& profile) {
    return {name, profile, profile + "/" + kChromiumHosts, ManifestKind::kChromium};
}

std::string SystemWords(int error) { return std::strerror(error); }

// Writes `text` to `path` through a new file beside it, renamed into place:
// an existing manifest is replaced whole, and a link in its place is
// replaced, never written through.
std::string WriteReplacing(const std::string& path, const std::string& text) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return SystemWords(errno);
    const bool written = WriteAll(fd, text);
    const int error = errno;
    ::fchmod(fd, 0644);
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written ? errno : error;
        ::unlink(temporary.c_str());
        return SystemWords(failure);
    }
    return {};
}

std::string SetUpOne(const std::string& home, const BrowserPlace& place,
                     const std::string& host_path) {
    const fs::path folder = fs::path(home) / place.hosts_folder;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return error.message();
    const std::string manifest = (folder / (std::string(kNativeHostName) + ".json")).string();
    return WriteReplacing(manifest, HostManifest(place.kind, host_path));
}

} // namespace

const std::vector<BrowserPlace>& KnownBrowsers() {
    static const std::vector<BrowserPlace> browsers = {
        {"Firefox", ".mozilla", ".mozilla/native-messaging-hosts", ManifestKind::kFirefox},
        Chromium("Chromium", ".config/chromium"),
        Chromium("Chrome", ".config/google-chrome"),
        Chromium("Brave", ".config/BraveSoftware/Brave-Browser"),
        Chromium("Vivaldi", ".config/vivaldi"),
        Chromium("Edge", ".config/microsoft-edge"),
        Chromium("Opera", ".config/opera"),
        Chromium("Chromium (Flatpak)", ".var/app/org.chromium.Chromium/config/chromium"),
        {"Firefox (Flatpak)", ".var/app/org.mozilla.firefox/.mozilla",
         ".var/app/org.mozilla.firefox/.mozilla/native-messaging-hosts", ManifestKind::kFirefox},
    };
    return browsers;
}

std::string HostManifest(ManifestKind kind, const std::string& host_path) {
    nlohmann::ordered_json manifest = {
        {"name", kNativeHostName},
        {"description", "Hands videos from the browser to Tarnwick"},
        {"path", host_path},
        {"type", "stdio"},
    };
    if (kind == ManifestKind::kFirefox) {
        manifest["allowed_extensions"] = {kFirefoxExtensionId};
    } else {
        manifest["allowed_origins"] = {std::string("chrome-extension://") + kChromiumExtensionId +
                                       "/"};
    }
    return manifest.dump(2) + "\n";
}

SetUpResult SetUpBrowsers(const std::string& home, const std::string& host_path) {
    SetUpResult result;
    for (const BrowserPlace& place : KnownBrowsers()) {
        std::error_code error;
        if (!fs::is_directory(fs::path(home) / place.profile_folder, error)) continue;
        const std::string why = SetUpOne(home, place, host_path);
        if (why.empty()) {
            result.set_up.push_back(place.name);
        } else {
            result.failed.push_back(place.name + ": " + why);
        }
    }
    return result;
}

std::string SetUpReport(const SetUpResult& result) {
    const auto joined = [](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
        return text;
    };
    std::string report;
    if (!result.set_up.empty()) {
        report = "Set up for " + joined(result.set_up) +
                 ". Add Tarnwick's extension to each of them from the folder that opens.";
    } else if (result.failed.empty()) {
        report = "No browser was found for this user: start a browser once, then set up again.";
    }
    if (!result.failed.empty()) {
        report +=
            std::string(report.empty() ? "" : " ") + "Not set up: " + joined(result.failed) + ".";
    }
    return report;
}

} // namespace tarnwick::handoff
