#include "shell/ytdlp_notices.h"

#include "fakes/fake_child_processes.h"
#include "shell/shell_harness.h"

#include <chrono>

namespace tarnwick::shell {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPath = "/home/ann/.local/bin/yt-dlp";
constexpr const char* kOldWarning =
    "yt-dlp 2023.03.04 is old; sites change often \u2014 update it (pipx upgrade yt-dlp)";

class YtDlpNoticesTest : public ShellHarness {
protected:
    void EndVersionRead(size_t index, const std::string& out) {
        ASSERT_TRUE(children.End(index, {platform::ChildEnd::Kind::kExited, 0, out}));
    }
    std::string AboutLine() { return skin.variables[kSkinYtDlpText]; }

    fakes::FakeChildProcesses children;
    std::chrono::sys_days today = std::chrono::sys_days(2024y / 1 / 1);
    driver::YtDlpTool tool{children, [this] { return today; }};
    YtDlpNotices notices{{tool, skin, status}};
    SkinCommands about_commands{{window, tray, skin, launch, box, paths, grid, entry, pages,
                                 grid_commands, runs, lifecycle, settings, monitor, &notices}};
};

TEST_F(YtDlpNoticesTest, TheAboutPageShowsTheYtDlpFoundWhenItOpens) {
    notices.LookAgain();
    EXPECT_EQ(AboutLine(), "yt-dlp: not installed");

    children.programs["yt-dlp"] = kPath;
    about_commands.Run("IDC_FS_About");
    EXPECT_EQ(AboutLine(), std::string("yt-dlp (") + kPath + ")") << "its version still unread";
    ASSERT_EQ(children.started.size(), 1u);
    EXPECT_EQ(children.started[0]->request.arguments, std::vector<std::string>{"--version"});
    EndVersionRead(0, "2023.03.04\n");
    EXPECT_EQ(AboutLine(), std::string("yt-dlp 2023.03.04 (") + kPath + ")");

    about_commands.Run("IDC_FS_About");
    EXPECT_EQ(children.started.size(), 1u) << "the version is read once";
    children.programs.clear();
    about_commands.Run("IDC_FS_About");
    EXPECT_EQ(AboutLine(), "yt-dlp: not installed");
}

TEST_F(YtDlpNoticesTest, AnOldYtDlpIsToldOnceOnTheStatusLineOnceUsed) {
    children.programs["yt-dlp"] = kPath;
    notices.LookAgain();
    EndVersionRead(0, "2023.03.04\n");
    EXPECT_EQ(status.Text(), kReadyText) << "not told before it is used";

    tool.NoteUse();
    EXPECT_EQ(status.Text(), kOldWarning);
    clock.Advance(YtDlpNotices::kOldWarningTime - 1ms);
    EXPECT_EQ(status.Text(), kOldWarning) << "longer than other messages";
    clock.Advance(1ms);
    EXPECT_EQ(status.Text(), kReadyText);
    tool.NoteUse();
    EXPECT_EQ(status.Text(), kReadyText) << "told once a run of the program";
}

} // namespace
} // namespace tarnwick::shell
