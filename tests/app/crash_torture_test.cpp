// Kills the program's engine and store at thirty points drawn from a printed
// seed: right after a write of the store, or right after a block of a video
// came in. After every restart the kept list must be whole, every finished
// file exact and every temporary file owned; at the end every video is there,
// byte for byte. Set TARNWICK_CRASH_SEED to replay a run.
#include "child_process.h"
#include "list/download_item.h"
#include "platform/list_store.h"
#include "sqlite/sqlite_list_store.h"
#include "support/loopback_server.h"
#include "support/served_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using test_support::ServedFile;

constexpr int kVideos = 20;
constexpr int kKills = 30;
constexpr const char* kPartSuffix = ".tarnwick.part";
// What one kill may cost the program again: the bytes the transfer had
// gathered for its next write.
constexpr uint64_t kWriteBuffer = 256 * 1024;

class CrashTortureTest : public testing::Test {
protected:
    CrashTortureTest() {
        fs::create_directory(videos_);
        for (int i = 0; i < kVideos; ++i) {
            ServedFile video;
            video.size = 1000000 + static_cast<uint64_t>(i) * 150001;
            video.offset = static_cast<uint64_t>(i) * 7919;
            video.etag = "\"v" + std::to_string(i) + "\"";
            const std::string name = std::to_string(i) + ".flv";
            server_.Serve("/putfile.com/" + name,
                          test_support::Answer::Http(
                              200, "OK", {}, "<a href='" + server_.Url("/v/" + name) + "'>"));
            server_.ServeFile("/v/" + name, video);
            videos_by_name_[name] = video;
            total_ += video.size;
        }
    }

    ChildEnd Child(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(),
                         {"--data", data_, "--videos", videos_, "--report", report_});
        return RunChild(arguments);
    }

    std::vector<std::string> Addresses() const {
        std::vector<std::string> addresses;
        for (const auto& [name, video] : videos_by_name_) {
            addresses.push_back("--add");
            addresses.push_back(server_.Url("/putfile.com/" + name));
        }
        return addresses;
    }

    // The kept list, as a started program finds it; also checks the folder.
    std::vector<platform::StoredItem> CheckState(const std::string& when) {
        SCOPED_TRACE(when);
        sqlite::SqliteListStore store(data_ + "/downloads.db");
        EXPECT_TRUE(store.Opening().moved_aside_to.empty()) << "the database did not open";
        EXPECT_TRUE(store.Opening().unusable_reason.empty()) << store.Opening().unusable_reason;
        const std::vector<platform::StoredItem> items = store.LoadAll().items;
        std::set<std::string> addresses;
        std::set<std::string> temporary_paths;
        for (const platform::StoredItem& item : items) {
            addresses.insert(item.page_address);
            if (!item.temporary_path.empty()) temporary_paths.insert(item.temporary_path);
        }
        EXPECT_EQ(items.size(), static_cast<size_t>(kVideos)) << "an item was lost or doubled";
        EXPECT_EQ(addresses.size(), static_cast<size_t>(kVideos));
        for (const auto& entry : fs::directory_iterator(videos_)) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(kPartSuffix)) {
                EXPECT_EQ(temporary_paths.count(entry.path().string()), 1u)
                    << name << " belongs to no listed item";
                continue;
            }
            const auto video = videos_by_name_.find(name);
            if (video == videos_by_name_.end()) {
                ADD_FAILURE() << "a file of no video: " << name;
                continue;
            }
            EXPECT_TRUE(test_support::ReadWholeFile(entry.path().string()) ==
                        test_support::FileBytes(video->second))
                << name << " is not its video byte for byte";
        }
        return items;
    }

    int RangeRequests() const {
        int count = 0;
        for (const test_support::Request& request : server_.Requests()) {
            if (request.Header("Range")) ++count;
        }
        return count;
    }

    test_support::TempFolder folder_;
    const std::string data_ = folder_.File("data");
    const std::string videos_ = folder_.File("videos");
    const std::string report_ = folder_.File("kills");
    test_support::LoopbackServer server_;
    std::map<std::string, ServedFile> videos_by_name_;
    uint64_t total_ = 0;
};

TEST_F(CrashTortureTest, AKillAtAnyPointCostsNothingButTheTimeItWasDown) {
    const char* given = std::getenv("TARNWICK_CRASH_SEED");
    const unsigned seed = given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                           : std::random_device()();
    std::printf("crash test seed: %u (TARNWICK_CRASH_SEED=%u replays it)\n", seed, seed);
    std::mt19937 random(seed);

    ASSERT_EQ(Child(Addresses()).status, 0);
    CheckState("after listing");
    int kills = 0;
    for (int round = 0; round < kKills; ++round) {
        const bool by_blocks = random() % 2 == 0;
        const long k = by_blocks ? std::uniform_int_distribution<long>(1, 120)(random)
                                 : std::uniform_int_distribution<long>(1, 8)(random);
        const ChildEnd end =
            Child({"--run", by_blocks ? "--kill-after-blocks" : "--kill-after-writes",
                   std::to_string(k)});
        ASSERT_TRUE(end.Killed() || end.status == 0) << "round " << round;
        kills += end.Killed() ? 1 : 0;
        // The restart: what a started program finds.
        ASSERT_EQ(Child({}).status, 0);
        CheckState("after round " + std::to_string(round));
    }

    ASSERT_EQ(Child({"--run"}).status, 0);
    ASSERT_EQ(Child({}).status, 0);
    const std::vector<platform::StoredItem> items = CheckState("at the end");
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(videos_)) {
        files.insert(entry.path().filename().string());
    }
    std::set<std::string> names;
    for (const auto& [name, video] : videos_by_name_) names.insert(name);
    EXPECT_EQ(files, names) << "every video, byte for byte, and nothing else";
    for (const platform::StoredItem& item : items) {
        EXPECT_EQ(item.state, static_cast<int>(list::ItemState::kComplete)) << item.page_address;
    }

    std::ifstream report(report_);
    int during_transfer = 0;
    uint64_t received = 0;
    for (std::string line; std::getline(report, line);) {
        during_transfer += line == "transfer";
        if (line.starts_with("received ")) received += std::stoull(line.substr(9));
    }
    // What the program took in twice, and what the server sent twice: the
    // latter also counts what was on its way through the sockets at a kill.
    const uint64_t twice = received - total_;
    const uint64_t sent_twice = server_.BodyBytesSent() - total_;
    std::printf(
        "kills: %d, %d of them during a transfer; Range requests: %d\n"
        "bytes fetched twice: %llu (%.1f KiB per kill); sent twice by the server, "
        "those in flight at a kill included: %llu\n",
        kills, during_transfer, RangeRequests(), static_cast<unsigned long long>(twice),
        kills > 0 ? static_cast<double>(twice) / 1024 / kills : 0.0,
        static_cast<unsigned long long>(sent_twice));
    EXPECT_LE(twice, static_cast<uint64_t>(kills) * kWriteBuffer) << "more than a buffer a kill";
}

} // namespace
} // namespace tarnwick
