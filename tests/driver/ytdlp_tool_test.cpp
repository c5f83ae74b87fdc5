#include "driver/ytdlp_tool.h"

#include "fakes/fake_child_processes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace tarnwick::driver {
namespace {

using namespace std::chrono_literals;
using platform::ChildEnd;

constexpr const char* kLocal = "/home/ann/.local/bin/yt-dlp";
constexpr const char* kSystem = "/usr/bin/yt-dlp";

struct CountingWatcher : YtDlpWatcher {
    void OnYtDlpFound() override { ++found; }
    void OnYtDlpOld(const std::string& warning) override { warnings.push_back(warning); }
    int found = 0;
    std::vector<std::string> warnings;
};

class YtDlpToolTest : public testing::Test {
protected:
    void SetUp() override { tool.AddWatcher(&watcher); }
    void Install(const char* path) { children.programs[kYtDlpName] = path; }
    void AnswerVersion(size_t index, const std::string& out, int exit_code = 0) {
        ASSERT_TRUE(children.End(index, {ChildEnd::Kind::kExited, exit_code, out}));
    }

    fakes::FakeChildProcesses children;
    std::chrono::sys_days today = std::chrono::sys_days(2023y / 3 / 4) + std::chrono::days(90);
    YtDlpTool tool{children, [this] { return today; }};
    CountingWatcher watcher;
};

TEST_F(YtDlpToolTest, DescribesWhatWasFoundAndReadsEachPathsVersionOnce) {
    EXPECT_EQ(tool.Find(), std::nullopt);
    EXPECT_EQ(tool.Description(), "yt-dlp: not installed");
    EXPECT_EQ(watcher.found, 0) << "nothing changed";

    Install(kSystem);
    EXPECT_EQ(tool.Find(), kSystem);
    EXPECT_EQ(tool.Description(), "yt-dlp (/usr/bin/yt-dlp)");
    ASSERT_EQ(children.started.size(), 1u);
    EXPECT_EQ(children.started[0]->request.program, kSystem);
    EXPECT_EQ(children.started[0]->request.arguments, std::vector<std::string>{"--version"});
    AnswerVersion(0, "2023.03.04\n");
    EXPECT_EQ(tool.Description(), "yt-dlp 2023.03.04 (/usr/bin/yt-dlp)");
    EXPECT_EQ(watcher.found, 2);
    tool.Find();
    EXPECT_EQ(children.started.size(), 1u) << "read once";

    Install(kLocal);
    tool.Find();
    EXPECT_EQ(tool.Description(), "yt-dlp (/home/ann/.local/bin/yt-dlp)") << "not the old one's";
    ASSERT_EQ(children.started.size(), 2u);
    AnswerVersion(1, "this is no version\n");
    EXPECT_EQ(tool.Description(), "yt-dlp (/home/ann/.local/bin/yt-dlp)");
    tool.Find();
    EXPECT_EQ(children.started.size(), 2u) << "an unreadable version is not asked again";
}

TEST_F(YtDlpToolTest, APathFoundWhileAnotherVersionIsReadIsReadAfterIt) {
    Install(kSystem);
    tool.Find();
    Install(kLocal);
    tool.Find();
    ASSERT_EQ(children.started.size(), 1u) << "one reading at a time";
    AnswerVersion(0, "2023.03.04\n");
    EXPECT_EQ(tool.Description(), "yt-dlp (/home/ann/.local/bin/yt-dlp)");
    ASSERT_EQ(children.started.size(), 2u);
    EXPECT_EQ(children.started[1]->request.program, kLocal);
    AnswerVersion(1, "2023.11.16\n");
    EXPECT_EQ(tool.Description(), "yt-dlp 2023.11.16 (/home/ann/.local/bin/yt-dlp)");
}

TEST_F(YtDlpToolTest, AnOldVersionIsToldOnceWhenFirstUsedAndARecentOneNever) {
    Install(kSystem);
    tool.Find();
    AnswerVersion(0, "2023.03.04\n");
    tool.NoteUse();
    EXPECT_TRUE(watcher.warnings.empty()) << "90 days are not old yet";

    today += std::chrono::days(1);
    tool.NoteUse();
    ASSERT_EQ(watcher.warnings.size(), 1u);
    EXPECT_EQ(
        watcher.warnings[0],
        "yt-dlp 2023.03.04 is old; sites change often \u2014 update it (pipx upgrade yt-dlp)");
    tool.NoteUse();
    EXPECT_EQ(watcher.warnings.size(), 1u);
}

TEST_F(YtDlpToolTest, AVersionReadAfterTheFirstUseIsJudgedThen) {
    today += std::chrono::days(1);
    Install(kSystem);
    tool.Find();
    tool.NoteUse();
    EXPECT_TRUE(watcher.warnings.empty()) << "its version is not known yet";
    AnswerVersion(0, "2023.03.04\n");
    EXPECT_EQ(watcher.warnings.size(), 1u);
}

} // namespace
} // namespace tarnwick::driver
