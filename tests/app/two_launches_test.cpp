// Two launches of the real program, each in a process of its own with the
// same user's folders, against a loopback server: the second hands its
// address to the first and ends, whether the list is kept or not, and the
// first's download under way ends byte-exact, alone in the folder.
#include "app/program_home.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using test_support::Answer;

constexpr int kWaitMs = 30000;
constexpr uint64_t kVideoSize = 4 * 1024 * 1024;

bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitMs); }

bool HoldsTheGeneratedBytes(const std::string& path, uint64_t size) {
    const std::string bytes = test_support::ReadWholeFile(path);
    if (bytes.size() != size) return false;
    for (uint64_t i = 0; i < size; ++i) {
        if (bytes[i] != test_support::GeneratedByte(i)) return false;
    }
    return true;
}

class TwoLaunchesTest : public testing::TestWithParam<bool> {
protected:
    void TearDown() override {
        for (QProcess* program : {&first, &second}) {
            program->kill();
            program->waitForFinished(kWaitMs);
        }
    }

    std::string Videos() const { return home.File("videos"); }
    std::set<std::string> FilesInVideos() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Videos())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    void Launch(QProcess& program, const std::string& address) {
        program.setProcessEnvironment(home.Environment());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(TARNWICK_PROGRAM, {QString::fromStdString(address)});
        ASSERT_TRUE(program.waitForStarted(kWaitMs));
    }

    test_support::ProgramHome home{{"URL Mon", "False"},
                                   {"Keep List", GetParam() ? "True" : "False"}};
    test_support::LoopbackServer server;
    QProcess first;
    QProcess second;
};

TEST_P(TwoLaunchesTest, TheSecondHandsItsAddressToTheFirstAndEnds) {
    // The first video stops halfway until the test lets it go on.
    server.Serve("/first.mp4", test_support::HeldVideo(kVideoSize));
    server.Serve("/second.mp4", Answer::Http(200, "OK", {"Content-Type: video/mp4"}, "second"));
    Launch(first, server.Url("/first.mp4"));
    ASSERT_TRUE(WaitUntil([&] { return home.HasAPartOfAtLeast(kVideoSize / 4); }))
        << "the first launch downloads";

    Launch(second, server.Url("/second.mp4"));
    ASSERT_TRUE(second.waitForFinished(kWaitMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    server.Release();
    ASSERT_TRUE(WaitUntil([&] {
        return FilesInVideos() == std::set<std::string>{"first.mp4", "second.mp4"};
    })) << "the first launch downloads both";
    EXPECT_TRUE(HoldsTheGeneratedBytes(Videos() + "/first.mp4", kVideoSize));
    EXPECT_EQ(test_support::ReadWholeFile(Videos() + "/second.mp4"), "second");
    EXPECT_EQ(first.state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(KeepList, TwoLaunchesTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Kept" : "NotKept"; });

} // namespace
} // namespace tarnwick
