// Lets the browsers of this user start the native host: a manifest naming
// the host and our extension goes into the host folder of each browser whose
// profile folder exists. A manifest of ours is written anew; a link in its
// place is never followed.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::handoff {

enum class ManifestKind { kFirefox, kChromium };

// One browser the user may have, by where it keeps its profile.
struct BrowserPlace {
    std::string name;           // "Firefox", "Chromium", ...
    std::string profile_folder; // below the home folder
    std::string hosts_folder;   // below the home folder
    ManifestKind kind;
};

// The browsers looked for, Flatpak's Chromium and Firefox among them.
const std::vector<BrowserPlace>& KnownBrowsers();

// The manifest that lets a browser of `kind` start the host at `host_path`.
std::string HostManifest(ManifestKind kind, const std::string& host_path);

// What setting up found and did, browser by browser.
struct SetUpResult {
    std::vector<std::string> set_up; // names of the browsers set up
    std::vector<std::string> failed; // "Name: why" for those that could not be
};

// Writes the manifests for each known browser with a profile below `home`.
SetUpResult SetUpBrowsers(const std::string& home, const std::string& host_path);

// What the user is told of it, in one paragraph.
std::string SetUpReport(const SetUpResult& result);

} // namespace tarnwick::handoff
