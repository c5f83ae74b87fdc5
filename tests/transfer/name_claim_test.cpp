// Claiming a finished file's name on a real FUSE file system: exFAT through
// exfat-fuse refuses renameat2's no-replace flag (EINVAL) and hard links
// (EPERM), as GVFS mounts and many network shares do. Needs root, a loop
// device, /dev/fuse, mkfs.exfat and mount.exfat-fuse; skips, saying why,
// where any is missing.
#include "support/temp_folder.h"
#include "transfer/file_system.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tarnwick::transfer::files {
namespace {

namespace fs = std::filesystem;

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// An exFAT image on a loop device, mounted through FUSE for the test's life.
class ExfatMount {
public:
    explicit ExfatMount(const test_support::TempFolder& folder)
        : image_(folder.File("exfat.img")), point_(folder.File("mnt")) {}
    ~ExfatMount() {
        if (mounted_) Run("umount '" + point_ + "'");
        if (!device_.empty()) Run("losetup -d '" + device_ + "'");
    }

    // Empty when mounted; otherwise why not.
    std::string Mount() {
        if (::geteuid() != 0) return "not root";
        if (!fs::exists("/dev/fuse")) return "no /dev/fuse";
        fs::create_directory(point_);
        if (!Run("truncate -s 16M '" + image_ + "'") || !Run("mkfs.exfat '" + image_ + "'")) {
            return "mkfs.exfat failed or is missing";
        }
        FILE* losetup = ::popen(("losetup -f --show '" + image_ + "' 2>/dev/null").c_str(), "r");
        char line[256] = {};
        if (losetup == nullptr || std::fgets(line, sizeof line, losetup) == nullptr) {
            if (losetup != nullptr) ::pclose(losetup);
            return "no loop device";
        }
        ::pclose(losetup);
        device_ = line;
        while (!device_.empty() && device_.back() == '\n') device_.pop_back();
        if (!Run("mount.exfat-fuse '" + device_ + "' '" + point_ + "'")) {
            return "mount.exfat-fuse failed or is missing";
        }
        mounted_ = true;
        return {};
    }
    std::string File(const std::string& name) const { return point_ + "/" + name; }

private:
    std::string image_;
    std::string point_;
    std::string device_;
    bool mounted_ = false;
};

TEST(NameClaimOnFuse, TheFinishedFileTakesItsNameAndNothingThereIsReplaced) {
    test_support::TempFolder folder;
    ExfatMount exfat(folder);
    if (const std::string why = exfat.Mount(); !why.empty()) {
        GTEST_SKIP() << "no exFAT FUSE mount here (" << why << ")";
    }
    FileSystem& system = SystemFileSystem();
    // What the mount refuses, as the claim meets it.
    test_support::WriteWholeFile(exfat.File("clip.mp4.1.tarnwick.part"), "whole video");
    EXPECT_TRUE(FailedWith(
        system.RenameNoReplace(exfat.File("clip.mp4.1.tarnwick.part"), exfat.File("x")), EINVAL));

    EXPECT_TRUE(ClaimName(system, exfat.File("clip.mp4.1.tarnwick.part"), exfat.File("clip.mp4")));
    EXPECT_EQ(test_support::ReadWholeFile(exfat.File("clip.mp4")), "whole video");
    EXPECT_FALSE(fs::exists(exfat.File("clip.mp4.1.tarnwick.part")));

    test_support::WriteWholeFile(exfat.File("clip.mp4.2.tarnwick.part"), "second");
    EXPECT_TRUE(FailedWith(
        ClaimName(system, exfat.File("clip.mp4.2.tarnwick.part"), exfat.File("clip.mp4")), EEXIST));
    EXPECT_EQ(test_support::ReadWholeFile(exfat.File("clip.mp4")), "whole video");
    EXPECT_EQ(test_support::ReadWholeFile(exfat.File("clip.mp4.2.tarnwick.part")), "second");
}

} // namespace
} // namespace tarnwick::transfer::files
