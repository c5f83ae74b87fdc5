// Setting up the browsers in a home of the test's: a manifest goes only to the
// browsers whose profile folder is there, names the host and our extension,
// and replaces a link in its place without writing through it.
#include "handoff/browser_setup.h"
#include "handoff/our_extension.h"

#include "support/temp_folder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::handoff {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr const char* kHost = "/opt/tarnwick/tarnwick-browser-host";

class BrowserSetupTest : public testing::Test {
protected:
    std::string Home(const std::string& below) const { return home.File(below); }
    std::string ManifestIn(const std::string& hosts_folder) const {
        return Home(hosts_folder + "/" + kNativeHostName + ".json");
    }
    nlohmann::json ManifestOf(const std::string& hosts_folder) const {
        return nlohmann::json::parse(test_support::ReadWholeFile(ManifestIn(hosts_folder)));
    }

    test_support::TempFolder home;
};

TEST_F(BrowserSetupTest, ManifestsGoOnlyToTheBrowsersWhoseProfileIsThere) {
    fs::create_directories(Home(".config/chromium"));
    fs::create_directories(Home(".mozilla"));
    const SetUpResult result = SetUpBrowsers(home.Path().string(), kHost);
    EXPECT_EQ(result.set_up, (Names{"Firefox", "Chromium"}));
    EXPECT_TRUE(result.failed.empty());
    EXPECT_FALSE(fs::exists(Home(".config/google-chrome"))) << "no profile, nothing made";
    EXPECT_FALSE(fs::exists(Home(".var")));

    const nlohmann::json chromium = ManifestOf(".config/chromium/NativeMessagingHosts");
    EXPECT_EQ(chromium["name"], kNativeHostName);
    EXPECT_EQ(chromium["path"], kHost);
    EXPECT_EQ(chromium["type"], "stdio");
    EXPECT_EQ(chromium["allowed_origins"],
              nlohmann::json::array({"chrome-extension://gebjicgciibbfpggeejalebeoglnbnie/"}));
    EXPECT_FALSE(chromium.contains("allowed_extensions"));
    const nlohmann::json firefox = ManifestOf(".mozilla/native-messaging-hosts");
    EXPECT_EQ(firefox["path"], kHost);
    EXPECT_EQ(firefox["allowed_extensions"], nlohmann::json::array({"browser@tarnwick.org"}));
    EXPECT_FALSE(firefox.contains("allowed_origins"));
    EXPECT_EQ(fs::status(ManifestIn(".mozilla/native-messaging-hosts")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST_F(BrowserSetupTest, ALinkInTheManifestsPlaceIsReplacedAndItsTargetLeftAsItWas) {
    const std::string hosts = ".config/chromium/NativeMessagingHosts";
    fs::create_directories(Home(hosts));
    const std::string target = Home("elsewhere.json");
    test_support::WriteWholeFile(target, "untouched");
    fs::create_symlink(target, ManifestIn(hosts));

    EXPECT_EQ(SetUpBrowsers(home.Path().string(), kHost).set_up, Names{"Chromium"});
    EXPECT_FALSE(fs::is_symlink(ManifestIn(hosts)));
    EXPECT_EQ(ManifestOf(hosts)["path"], kHost);
    EXPECT_EQ(test_support::ReadWholeFile(target), "untouched");
    EXPECT_EQ(std::distance(fs::directory_iterator(Home(hosts)), {}), 1)
        << "no temporary file stays beside it";
}

TEST_F(BrowserSetupTest, TheReportNamesWhatWasSetUpAndWhyTheRestWasNot) {
    EXPECT_EQ(SetUpReport(SetUpBrowsers(home.Path().string(), kHost)),
              "No browser was found for this user: start a browser once, then set up again.");

    fs::create_directories(Home(".config/vivaldi"));
    fs::create_directories(Home(".mozilla"));
    // A file where Firefox's hosts folder belongs: that folder cannot be made.
    test_support::WriteWholeFile(Home(".mozilla/native-messaging-hosts"), "");
    const SetUpResult result = SetUpBrowsers(home.Path().string(), kHost);
    EXPECT_EQ(result.set_up, Names{"Vivaldi"});
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_TRUE(result.failed[0].starts_with("Firefox: ")) << result.failed[0];
    EXPECT_EQ(SetUpReport(result),
              "Set up for Vivaldi. Add Tarnwick's extension to each of them from the folder that "
              "opens. Not set up: " +
                  result.failed[0] + ".");
}

} // namespace
} // namespace tarnwick::handoff
