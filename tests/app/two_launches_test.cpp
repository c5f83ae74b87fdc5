// Two launches of the real program, each in a process of its own with the
// same user's folders, against a loopback server: the second hands its
// address to the first and ends, whether the list is kept or not, and the
// first's download under way ends byte-exact, alone in the folder.
#include "support/loopback_server.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
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
    void SetUp() override {
        for (const char* name : {"config", "data", "cache", "run", "videos"}) {
            fs::create_directory(home.File(name));
        }
        fs::permissions(home.File("run"), fs::perms::owner_all);
        QSettings settings(
            QString::fromStdString(home.File("config")) + "/Orvelle Tarnwick/Tarnwick.conf",
            QSettings::IniFormat);
        settings.beginGroup("Settings");
        settings.setValue("Download Dir", QString::fromStdString(Videos()));
        settings.setValue("URL Mon", "False");
        settings.setValue("Keep List", GetParam() ? "True" : "False");
    }

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
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", QString::fromStdString(home.Path().string()));
        for (const auto& [name, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                           {"XDG_DATA_HOME", "data"},
                                           {"XDG_CACHE_HOME", "cache"},
                                           {"XDG_RUNTIME_DIR", "run"}}) {
            environment.insert(name, QString::fromStdString(home.File(folder)));
        }
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LSAN_OPTIONS",
                           QStringLiteral("suppressions=") + TARNWICK_LSAN_SUPPRESSIONS);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(TARNWICK_PROGRAM, {QString::fromStdString(address)});
        ASSERT_TRUE(program.waitForStarted(kWaitMs));
    }

    test_support::TempFolder home;
    test_support::LoopbackServer server;
    QProcess first;
    QProcess second;
};

TEST_P(TwoLaunchesTest, TheSecondHandsItsAddressToTheFirstAndEnds) {
    // The first video stops halfway until the test lets it go on.
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: " +
                             std::to_string(kVideoSize) + "\r\n\r\n";
    server.Serve("/first.mp4", Answer()
                                   .Head(head)
                                   .GeneratedBody(kVideoSize / 2)
                                   .WaitForRelease()
                                   .GeneratedBody(kVideoSize / 2, kVideoSize / 2));
    server.Serve("/second.mp4", Answer::Http(200, "OK", {"Content-Type: video/mp4"}, "second"));
    Launch(first, server.Url("/first.mp4"));
    ASSERT_TRUE(WaitUntil([&] {
        for (const std::string& name : FilesInVideos()) {
            if (name.ends_with(".tarnwick.part") &&
                fs::file_size(Videos() + "/" + name) >= kVideoSize / 4) {
                return true;
            }
        }
        return false;
    })) << "the first launch downloads";

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
