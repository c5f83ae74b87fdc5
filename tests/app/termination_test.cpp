// The real program ended by SIGTERM, as a session that logs out ends it,
// while it downloads and its clipboard watcher runs: it ends as its Exit
// does, with the list written (the download cancelled, its part kept for the
// next start) and the watcher ended with it.
#include "app/program_home.h"
#include "list/download_item.h"
#include "sqlite/sqlite_list_store.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 30000;
constexpr uint64_t kVideoSize = 4 * 1024 * 1024;

bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitMs); }

// The channel a running watcher of this test's was given, its one argument;
// empty when none runs.
std::string WatcherChannel(const std::string& run_folder) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::string program;
        std::string channel;
        std::getline(file, program, '\0');
        std::getline(file, channel, '\0');
        if (program.ends_with("tarnwick-clip") && channel.starts_with(run_folder)) return channel;
    }
    return {};
}

class TerminationTest : public testing::Test {
protected:
    ~TerminationTest() override {
        program.kill();
        program.waitForFinished(kWaitMs);
        // A watcher left behind by a failure goes too.
        QProcess watcher_exit;
        watcher_exit.setProcessEnvironment(environment);
        watcher_exit.start(QFileInfo(TARNWICK_PROGRAM).path() + "/tarnwick-clip", {"Exit"});
        watcher_exit.waitForFinished(kWaitMs);
    }

    bool WatcherRuns() const { return !WatcherChannel(home.File("run")).empty(); }
    bool Downloads() const { return home.HasAPartOfAtLeast(kVideoSize / 4); }
    std::vector<platform::StoredItem> KeptItems() const {
        for (const auto& entry : fs::recursive_directory_iterator(home.File("data"))) {
            if (entry.path().filename() == "downloads.db") {
                return sqlite::SqliteListStore(entry.path().string()).LoadAll().items;
            }
        }
        return {};
    }

    test_support::ProgramHome home{{"URL Mon", "True"}, {"Keep List", "True"}};
    test_support::LoopbackServer server;
    QProcessEnvironment environment = home.Environment();
    QProcess program;
};

TEST_F(TerminationTest, SigtermEndsTheProgramAsItsExitDoes) {
    server.Serve("/held.mp4", test_support::HeldVideo(kVideoSize));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(TARNWICK_PROGRAM, {QString::fromStdString(server.Url("/held.mp4"))});
    ASSERT_TRUE(program.waitForStarted(kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return Downloads() && WatcherRuns(); }))
        << "the program downloads, and its clipboard watcher runs";
    const QString channel = QString::fromStdString(WatcherChannel(home.File("run")));

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(kWaitMs));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    // The channel is back, as a new start would bring it: a watcher that
    // was not told to end would stay with it.
    QLocalServer::removeServer(channel);
    QLocalServer channel_again;
    ASSERT_TRUE(channel_again.listen(channel));
    EXPECT_TRUE(WaitUntil([&] { return !WatcherRuns(); })) << "the watcher was told to end";
    const std::vector<platform::StoredItem> kept = KeptItems();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].state, static_cast<int>(list::ItemState::kCancelled));
    EXPECT_FALSE(kept[0].kept.empty()) << "its part waits for the next start";
}

} // namespace
} // namespace tarnwick
