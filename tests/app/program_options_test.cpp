// The real program asked for its help, its version, an option it does not
// know, and to set up the browsers: it prints and ends at once, opening no
// window and leaving the folder of its lock untouched; help, version and
// setting up need no display at all.
#include "support/temp_folder.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 30000;

struct Ended {
    int code = -1;
    std::string out;
    std::string err;
};

class ProgramOptionsTest : public testing::Test {
protected:
    ProgramOptionsTest() { fs::create_directory(home.File("run")); }

    Ended Run(const QString& option, const QString& platform) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(name);
        }
        if (!platform.isEmpty()) environment.insert("QT_QPA_PLATFORM", platform);
        environment.insert("HOME", QString::fromStdString(home.Path().string()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.File("run")));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(TARNWICK_PROGRAM, {option});
        if (!program.waitForFinished(kWaitMs) || program.exitStatus() != QProcess::NormalExit) {
            return {};
        }
        return {program.exitCode(), program.readAllStandardOutput().toStdString(),
                program.readAllStandardError().toStdString()};
    }
    bool RunFolderIsEmpty() const { return fs::is_empty(home.File("run")); }

    test_support::TempFolder home;
};

TEST_F(ProgramOptionsTest, HelpAndVersionPrintAndEndAnUnknownOptionIsAnError) {
    const Ended help = Run("--help", {});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: tarnwick [OPTION]... [ADDRESS]...\n")) << help.out;
    EXPECT_EQ(help.err, "");

    const Ended version = Run("--version", {});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("Tarnwick ") + TARNWICK_VERSION + "\n");

    const Ended bogus = Run("--bogus", "offscreen");
    EXPECT_EQ(bogus.code, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_NE(bogus.err.find("unknown option '--bogus'"), std::string::npos) << bogus.err;
    EXPECT_TRUE(RunFolderIsEmpty()) << "no lock, no channel";
}

// With a home that has Chromium's and Firefox's profiles, each gets a manifest
// naming the host beside the program, for the extension by the id that
// browser knows it under.
TEST_F(ProgramOptionsTest, SettingUpTheBrowsersWritesTheirManifestsAndSaysWhich) {
    fs::create_directories(home.File(".config/chromium"));
    fs::create_directories(home.File(".mozilla"));
    const Ended set_up = Run("--setup-browsers", {});
    EXPECT_EQ(set_up.code, 0) << set_up.err;
    EXPECT_TRUE(set_up.out.starts_with("Set up for Firefox, Chromium. ")) << set_up.out;
    EXPECT_TRUE(RunFolderIsEmpty()) << "no lock, no channel";

    const std::string host =
        (fs::canonical(TARNWICK_PROGRAM).parent_path() / "tarnwick-browser-host").string();
    const std::string chromium = test_support::ReadWholeFile(
        home.File(".config/chromium/NativeMessagingHosts/org.tarnwick.browser_host.json"));
    EXPECT_NE(chromium.find("\"path\": \"" + host + "\""), std::string::npos) << chromium;
    EXPECT_NE(chromium.find("\"chrome-extension://gebjicgciibbfpggeejalebeoglnbnie/\""),
              std::string::npos)
        << chromium;
    const std::string firefox = test_support::ReadWholeFile(
        home.File(".mozilla/native-messaging-hosts/org.tarnwick.browser_host.json"));
    EXPECT_NE(firefox.find("\"path\": \"" + host + "\""), std::string::npos) << firefox;
    EXPECT_NE(firefox.find("\"allowed_extensions\": [\n    \"browser@tarnwick.org\"\n  ]"),
              std::string::npos)
        << firefox;
}

} // namespace
} // namespace tarnwick
