// tarnwick-host-manifests HOST_PATH FOLDER: writes the native messaging
// host's manifests that the package installs for every user of the machine,
// FOLDER/firefox/NAME.json and FOLDER/chromium/NAME.json, each the very text
// the program writes into a user's browsers when it sets them up.
#include "handoff/browser_setup.h"
#include "handoff/our_extension.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

namespace fs = std::filesystem;
using tarnwick::handoff::ManifestKind;

bool WriteManifest(const fs::path& folder, ManifestKind kind, const std::string& host_path) {
    std::error_code error;
    fs::create_directories(folder, error);
    const fs::path file = folder / (std::string(tarnwick::handoff::kNativeHostName) + ".json");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << tarnwick::handoff::HostManifest(kind, host_path);
    out.close();
    if (!out) std::cerr << "cannot write " << file << "\n";
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: tarnwick-host-manifests HOST_PATH FOLDER\n";
        return 2;
    }
    const std::string host_path = argv[1];
    const fs::path folder = argv[2];
    const bool written = WriteManifest(folder / "firefox", ManifestKind::kFirefox, host_path) &&
                         WriteManifest(folder / "chromium", ManifestKind::kChromium, host_path);
    return written ? 0 : 1;
}
