// The list's folder taken away while a download runs: its files removed and
// the folder made read-only, made writable again once the engine says that
// the list cannot be kept. The engine keeps
// running and downloading, says once that the list cannot be kept and once
// that it is kept again, and the list it leaves holds every item, those
// listed while it could not be kept too.
#include "child_process.h"
#include "list/download_item.h"
#include "sqlite/sqlite_list_store.h"
#include "support/loopback_server.h"
#include "support/served_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using test_support::ServedFile;

// The exit status of a child that cannot make a folder read-only here.
constexpr int kCannotBreak = 77;
constexpr int kVideos = 6;
constexpr const char* kNewsPrefix = "news ";

TEST(ListTakenAwayTest, TheRunGoesOnAndTheWholeListIsKeptOnceItCanBe) {
    test_support::TempFolder folder;
    const std::string data = folder.File("data");
    const std::string videos = folder.File("videos");
    const std::string report = folder.File("report");
    fs::create_directory(videos);
    test_support::LoopbackServer server;
    std::vector<std::string> pages;
    std::vector<ServedFile> files;
    for (int i = 0; i < kVideos; ++i) {
        ServedFile video;
        // The first is under way while the list is taken away and given back.
        video.size = i == 0 ? 4'000'000 : 300'000 + static_cast<uint64_t>(i);
        video.offset = static_cast<uint64_t>(i) * 7919;
        const std::string name = std::to_string(i) + ".flv";
        server.Serve("/putfile.com/" + name,
                     test_support::Answer::Http(200, "OK", {},
                                                "<a href='" + server.Url("/v/" + name) + "'>"));
        server.ServeFile("/v/" + name, video);
        pages.push_back(server.Url("/putfile.com/" + name));
        files.push_back(video);
    }
    const std::vector<std::string> places = {"--data", data,       "--videos",
                                             videos,   "--report", report};
    std::vector<std::string> listing = places;
    listing.insert(listing.end(), {"--add", pages[0]});
    ASSERT_EQ(RunChild(listing).status, 0);

    std::vector<std::string> running = places;
    running.insert(running.end(), {"--run", "--break-list-at-block", "8"});
    for (int i = 1; i < kVideos; ++i) running.insert(running.end(), {"--add-then", pages[i]});
    const ChildEnd end = RunChild(running);
    if (end.status == kCannotBreak) {
        GTEST_SKIP() << "no folder can be made read-only here: root needs a mount namespace "
                        "(unshare) for it, which this machine does not allow";
    }
    ASSERT_EQ(end.signal, 0) << "the engine died of signal " << end.signal;
    ASSERT_EQ(end.status, 0);

    std::vector<std::string> news;
    std::ifstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(kNewsPrefix)) continue;
        news.push_back(line.substr(5));
        std::printf("[ said     ] %s\n", news.back().c_str());
    }
    ASSERT_EQ(news.size(), 2u) << "each said once\n" << test_support::ReadWholeFile(report);
    EXPECT_TRUE(news[0].starts_with("The list cannot be kept now (")) << news[0];
    EXPECT_EQ(news[1], "The list is kept again");

    sqlite::SqliteListStore store(data + "/downloads.db");
    const platform::LoadedList kept = store.LoadAll();
    EXPECT_TRUE(kept.whole);
    std::vector<std::string> addresses;
    for (const platform::StoredItem& item : kept.items) {
        addresses.push_back(item.page_address);
        EXPECT_EQ(item.state, static_cast<int>(list::ItemState::kComplete)) << item.page_address;
    }
    EXPECT_EQ(addresses, pages);
    for (int i = 0; i < kVideos; ++i) {
        const std::string path = videos + "/" + std::to_string(i) + ".flv";
        EXPECT_TRUE(test_support::ReadWholeFile(path) == test_support::FileBytes(files[i]))
            << path << " is not its video byte for byte";
    }
}

} // namespace
} // namespace tarnwick
