// The History page over a history in memory: pages of rows as the skin
// scrolls, the search, and the actions on the chosen row.
#include "shell/history_page.h"

#include "fakes/fake_file_manager.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_history_store.h"
#include "shell/skin_variables.h"
#include "shell_harness.h"

namespace tarnwick::shell {
namespace {

constexpr int64_t kDay = 1796817600; // noon of 2026-12-09, UTC

class HistoryPageTest : public ShellHarness {
protected:
    HistoryPageTest() {
        for (int i = 0; i < 30; ++i) {
            const std::string title = (i % 10 == 0 ? "Harbour " : "Canal ") + std::to_string(i);
            (void)history.Record({0, "https://a.example/" + std::to_string(i), "", title,
                                  "/videos/" + title + ".mp4", 1048576, kDay, 0});
        }
        skin.variables[kSkinHistoryShown] = "5";
    }
    // The titles of the rows shown.
    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        const std::string rows = skin.variables[kSkinHistoryRows];
        for (size_t at = 0; at < rows.size();) {
            const size_t end = rows.find('\n', at);
            const std::string row = rows.substr(at, end - at);
            const size_t tab = row.find('\t');
            titles.push_back(row.substr(tab + 1, row.find('\t', tab + 1) - tab - 1));
            at = end + 1;
        }
        return titles;
    }
    void Choose(int row) { skin.variables[kSkinHistorySelected] = std::to_string(row); }

    fakes::FakeHistoryStore history;
    fakes::FakeFileManager file_manager;
    test_support::FakeFileSystem files;
    ItemFiles item_files{{queue, values, files, launch, file_manager, status, grid_commands}};
    HistoryPage page{{&history, skin, item_files, clipboard, entry, status, box, chooser, nullptr,
                      [] { return kDay; }}};
};

TEST_F(HistoryPageTest, ShowsAPageOfRowsWhereTheSkinScrolledAndSearches) {
    page.Show();
    EXPECT_EQ(skin.variables[kSkinHistoryCount], "30");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Canal 29", "Canal 28", "Canal 27", "Canal 26",
                                                  "Canal 25"}));
    EXPECT_EQ(HistoryRowText(history.entries[0]), "2026-12-09\tHarbour 0\t1 MB\t/videos\n");
    skin.variables[kSkinHistoryFirst] = "100";
    page.Show();
    EXPECT_EQ(skin.variables[kSkinHistoryFirst], "25") << "the last page, no further";
    skin.variables[kSkinHistorySearch] = "Harbour";
    page.Search();
    EXPECT_EQ(skin.variables[kSkinHistoryCount], "3");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Harbour 20", "Harbour 10", "Harbour 0"}));
}

TEST_F(HistoryPageTest, ActsOnTheChosenRow) {
    page.Show();
    Choose(1);
    page.ShowInFolder();
    EXPECT_EQ(file_manager.shown, std::vector<std::string>{"/videos/Canal 28.mp4"});
    page.CopyAddress();
    EXPECT_EQ(clipboard.text, "https://a.example/28");
    page.DownloadAgain();
    ASSERT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.At(0).page_address, "https://a.example/28");
    page.Remove();
    EXPECT_EQ(skin.variables[kSkinHistoryCount], "29");
    EXPECT_EQ(Titles()[1], "Canal 27");
    box.answers = {platform::MessageAnswer::No};
    page.Clear();
    EXPECT_EQ(history.entries.size(), 29u) << "not without a yes";
    box.answers = {platform::MessageAnswer::Yes};
    page.Clear();
    EXPECT_EQ(skin.variables[kSkinHistoryCount], "0");
}

// yt-dlp's archive in, as videos downloaded before, and out again.
TEST_F(HistoryPageTest, ImportsAndExportsYtDlpsArchive) {
    const std::string archive = folder.File("archive.txt");
    test_support::WriteWholeFile(archive, "youtube abc\nnot-an-archive-line\n\nvimeo 9\n");
    chooser.file_answer = archive;
    page.Import();
    EXPECT_EQ(status.Text(),
              "Imported 2 videos from yt-dlp's archive; 0 were in the history already");
    EXPECT_EQ(history.entries.back().completed_at, kDay);
    chooser.file_answer = folder.File("out.txt");
    page.Export();
    EXPECT_EQ(test_support::ReadWholeFile(folder.File("out.txt")), "youtube abc\nvimeo 9\n");
    EXPECT_EQ(status.Text(), "Exported 2 videos as yt-dlp's archive");
}

} // namespace
} // namespace tarnwick::shell
