// The history in the list's database file: a completion kept with its item
// in one transaction and once, found again by address or identity, read a
// page at a time newest first, searched by the starts of words, and changed
// as the user asks.
#include "sqlite/sqlite_history.h"

#include "resolve/video_identity.h"
#include "support/hls_fixtures.h"
#include "support/loopback_server.h"
#include "support/served_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace tarnwick::sqlite {
namespace {

using platform::HistoryEntry;
using platform::StoredItem;

HistoryEntry Completion(const std::string& address, const std::string& title, int64_t at,
                        const std::string& identity = {}) {
    return {0, address, identity, title, "/videos/" + title + ".mp4", 100, at, 0};
}

std::vector<std::string> Titles(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> titles;
    for (const HistoryEntry& entry : entries) titles.push_back(entry.title);
    return titles;
}

class SqliteHistoryTest : public testing::Test {
protected:
    test_support::TempFolder folder;
    SqliteListStore list{folder.File("list.db")};
    SqliteHistory history{list};
};

TEST_F(SqliteHistoryTest, ACompletionGoesInWithItsItemOnceAndNeverWithoutIt) {
    StoredItem item{.page_address = "https://a.example/1"};
    item.id = list.Insert(item).value();
    item.completion = Completion(item.page_address, "One", 1000);
    ASSERT_TRUE(list.Update(item).has_value());
    ASSERT_TRUE(list.Update(item).has_value()) << "written again, as after a failed write";
    ASSERT_TRUE(list.ReplaceAll({item}).has_value());
    StoredItem missing = item;
    missing.id = 999;
    missing.completion = Completion("https://a.example/2", "Two", 1001);
    EXPECT_FALSE(list.Update(missing).has_value());
    EXPECT_EQ(Titles(history.Page("", 0, 10)), std::vector<std::string>{"One"});
    EXPECT_TRUE(list.Clear().has_value());
    EXPECT_EQ(history.Count(""), 1) << "the history stays when the list is emptied";
}

TEST_F(SqliteHistoryTest, FindsTheNewestOfAnAddressOrOfAnIdentity) {
    ASSERT_TRUE(history.Record(Completion("https://a.example/1", "Old", 1000, "vimeo 7")));
    ASSERT_TRUE(history.Record(Completion("https://a.example/1", "New", 2000)));
    ASSERT_TRUE(history.Record(Completion("https://b.example/x", "Other", 3000, "vimeo 7")));
    EXPECT_EQ(history.FindVideo("https://a.example/1", "")->title, "New");
    EXPECT_EQ(history.FindVideo("https://c.example/", "vimeo 7")->title, "Other");
    EXPECT_FALSE(history.FindVideo("https://c.example/", ""));
}

TEST_F(SqliteHistoryTest, PagesNewestFirstAndSearchesByTheStartsOfWords) {
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(history.Record(Completion(
            "https://a.example/" + std::to_string(i),
            (i % 5 == 0 ? "Harbour of Rotterdam " : "Canal ") + std::to_string(i), 1000 + i)));
    }
    EXPECT_EQ(history.Count(""), 25);
    EXPECT_EQ(Titles(history.Page("", 0, 2)), (std::vector<std::string>{"Canal 24", "Canal 23"}));
    EXPECT_EQ(Titles(history.Page("", 24, 10)), std::vector<std::string>{"Harbour of Rotterdam 0"});
    EXPECT_EQ(history.Count("harb ROT"), 5);
    EXPECT_EQ(Titles(history.Page("harb rot", 1, 2)),
              (std::vector<std::string>{"Harbour of Rotterdam 15", "Harbour of Rotterdam 10"}));
    EXPECT_EQ(history.Count("a.example 12"), 1) << "the address is searched too";
    EXPECT_EQ(history.Count("\"*("), 25) << "a search of no word is none";
}

TEST_F(SqliteHistoryTest, RemovesForgetsClearsAndImportsEachIdentityOnce) {
    ASSERT_TRUE(history.Record(Completion("https://a.example/1", "One", 1000, "youtube a")));
    ASSERT_TRUE(history.Record(Completion("https://a.example/2", "Two", 1001)));
    ASSERT_TRUE(history.Record(Completion("https://a.example/2", "Two again", 1002)));
    EXPECT_EQ(history.Import({"youtube a", "vimeo 9", "vimeo 9"}, 5000, 4).value(), 1);
    EXPECT_EQ(history.Identities(), (std::vector<std::string>{"youtube a", "vimeo 9"}));
    ASSERT_TRUE(history.Forget("https://a.example/2"));
    EXPECT_EQ(history.Count("two"), 0);
    ASSERT_TRUE(history.Remove(history.FindVideo("https://a.example/1", "")->id));
    EXPECT_EQ(Titles(history.Page("", 0, 10)), std::vector<std::string>{""}) << "the import";
    ASSERT_TRUE(history.Clear());
    EXPECT_EQ(history.Count(""), 0);
    ASSERT_TRUE(history.Record(Completion("https://a.example/3", "Three", 1003)));
    EXPECT_EQ(history.Count("three"), 1) << "searched after a clearing too";
}

// The archive Debian's yt-dlp writes as it downloads two player pages over
// loopback goes into the history and comes out again line for line.
TEST_F(SqliteHistoryTest, TakesDebiansYtDlpArchiveAndGivesItBack) {
    const std::optional<std::string> ytdlp = test_support::FindOnPath("yt-dlp");
    if (!ytdlp) GTEST_SKIP() << "yt-dlp is not on PATH (Debian's yt-dlp package)";
    test_support::LoopbackServer server;
    server.ServeFile("/media/clip", test_support::FileOf(std::string(20000, 'v')));
    for (const char* page : {"/watch.html", "/second.html"}) {
        server.Serve(page, test_support::Answer::Http(
                               200, "OK", {"Content-Type: text/html"},
                               "<html><body><div id='p'></div><script>jwplayer('p').setup("
                               "{\"file\": \"/media/clip\", \"type\": \"mp4\"});</script>"
                               "</body></html>"));
    }
    const std::string archive = folder.File("archive.txt");
    const test_support::ProgramEnd end =
        test_support::RunProgram(*ytdlp, {"--ignore-config", "--no-progress", "--download-archive",
                                          archive, "-o", folder.File("%(id)s.%(ext)s"),
                                          server.Url("/watch.html"), server.Url("/second.html")});
    ASSERT_EQ(end.exit_code, 0) << end.err;
    const std::string written = test_support::ReadWholeFile(archive);
    ASSERT_EQ(written, "generic watch\ngeneric second\n");

    EXPECT_EQ(history.Import(resolve::ReadArchive(written), 1000, 4).value(), 2);
    EXPECT_TRUE(history.FindVideo("https://elsewhere.example/", "generic watch"));
    ASSERT_TRUE(history.Record(Completion("https://a.example/1", "Ours", 2000, "vimeo 7")));
    ASSERT_TRUE(history.Record(Completion("https://a.example/2", "A file", 2001, "file:x 1")));
    EXPECT_EQ(resolve::ArchiveText(history.Identities()), written + "vimeo 7\n");
}

} // namespace
} // namespace tarnwick::sqlite
