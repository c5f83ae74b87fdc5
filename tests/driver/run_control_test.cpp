#include "driver_harness.h"

#include "shell/progress_bar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::driver {
namespace {

using Writes = std::vector<fakes::RecordingSkin::Write>;
using Strings = std::vector<std::string>;

const Writes kRunStartWrites = {
    {"_root.downloadBtn", "0"}, {"_root.startDownload", "0"}, {"_root.downloadTab", "0"}};
const Writes kRunEndWrites = {
    {"_root.startDownload", "1"}, {"_root.downloadBtn", "1"}, {"_root.downloadTab", "1"}};

std::string Body(size_t size, char seed) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(seed + i % 23);
    return body;
}

bool ShowsTransferProgress(const list::ListedItem& item) {
    return shell::ProgressValueOf(item.Status).has_value();
}

class RunControlTest : public testing::Test {
protected:
    DriverHarness h;
};

TEST_F(RunControlTest, MixedListBecomesFilesWithEveryStatusCaptionAndVariable) {
    const std::string clip = Body(5000, 'a'), movie = Body(3000, 'k'), zippy = Body(7000, 'q');
    h.listing.AddVideoURL(h.PutFilePage("1", "clip.flv", clip));
    h.list.AddItem("http://youtube.com/watch?v=done", "old.flv", "Complete", "1 KB");
    h.listing.AddVideoURL(h.ThatVideoSitePage("2", "movie.flv", movie));
    h.list.AddItem("http://youtube.com/watch?v=bad", "bad.flv", "ERROR", "????");
    h.listing.AddVideoURL("http://example.org/not-a-video-site");
    h.listing.AddVideoURL(h.ZippyPage("3", "v9", zippy));

    h.run.cmdStartDownload_Click();

    EXPECT_EQ(h.Statuses(),
              (Strings{"Complete", "Complete", "Complete", "ERROR", "ERROR", "Complete"}));
    Strings names;
    for (const auto& item : h.list.Items()) names.push_back(item.FileName);
    EXPECT_EQ(names, (Strings{"clip.flv", "old.flv", "movie.flv", "bad.flv", "Un supported link",
                              "v9.flv"}));
    EXPECT_EQ(h.list.At(0).FileSize, "4.9 KB");
    EXPECT_EQ(h.VideoFile("clip.flv"), clip);
    EXPECT_EQ(h.VideoFile("movie.flv"), movie);
    EXPECT_EQ(h.VideoFile("v9.flv"), zippy);
    EXPECT_EQ(h.captions.shown, (Strings{"button Stop Downloading", "tray Stop Downloading",
                                         "button Start Downloading", "tray Start Downloading"}));
    Writes expected = kRunStartWrites;
    expected.insert(expected.end(), kRunEndWrites.begin(), kRunEndWrites.end());
    EXPECT_EQ(h.skin.writes, expected);
    EXPECT_TRUE(h.box.shown.empty());
    EXPECT_FALSE(h.state.Downloading);
    EXPECT_EQ(h.run.StartButtonCaption(), "Start Downloading");
}

TEST_F(RunControlTest, StartsAreRefusedForAnEmptyListAndWithoutAConnection) {
    h.tmrDownload.SetEnabled(true);
    h.tmrDownload.Elapse();
    EXPECT_FALSE(h.tmrDownload.Enabled());
    ASSERT_EQ(h.box.shown.size(), 1u);
    EXPECT_EQ(h.box.shown[0].text, "Please add video URL's first.");
    EXPECT_EQ(h.box.shown[0].title, "Empty List");
    EXPECT_EQ(h.box.shown[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(h.skin.writes, (Writes{{"_root.startDownload", "1"}}));

    h.listing.AddVideoURL("http://youtube.com/watch?v=1");
    h.connectivity.connected = false;
    h.run.cmdStartDownload_Click();
    ASSERT_EQ(h.box.shown.size(), 2u);
    EXPECT_EQ(h.box.shown[1].text,
              "You are not connected to the internet, Please connect first then try again");
    EXPECT_EQ(h.box.shown[1].title, "Tarnwick");
    EXPECT_EQ(h.skin.writes.size(), 1u);
    EXPECT_TRUE(h.captions.shown.empty());
    EXPECT_EQ(h.Statuses(), (Strings{"Waiting"}));
}

TEST_F(RunControlTest, StopAnsweredNoGoesOnAndYesCancelsTheItemAndEndsTheRun) {
    h.listing.AddVideoURL(h.PutFilePage("1", "big.flv", Body(400000, 'b')));
    h.listing.AddVideoURL(h.PutFilePage("2", "next.flv", Body(100, 'n')));
    std::filesystem::create_directories(h.folder.File("videos"));
    int questions = 0;
    h.pump.on_round = [&](int) {
        if (questions >= 2 || !ShowsTransferProgress(h.list.At(0))) return;
        h.box.answers.push_back(questions == 0 ? platform::MessageAnswer::No
                                               : platform::MessageAnswer::Yes);
        ++questions;
        h.run.cmdStartDownload_Click();
        if (questions == 2) {
            EXPECT_EQ(h.run.StartButtonCaption(), "Start Downloading");
            EXPECT_TRUE(h.state.Downloading) << "the transfer has not returned yet";
            // A start in this window changes nothing.
            h.run.cmdStartDownload_Click();
            EXPECT_EQ(h.box.shown.size(), 2u);
        }
    };
    h.run.cmdStartDownload_Click();

    EXPECT_EQ(questions, 2);
    EXPECT_EQ(h.box.shown[0].text, "Are you sure that you want to cancel downloading?");
    EXPECT_EQ(h.box.shown[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(h.Statuses(), (Strings{"Cancelled", "Waiting"}));
    EXPECT_FALSE(h.state.Downloading);
    EXPECT_FALSE(std::filesystem::exists(h.folder.File("videos/big.flv")));
    EXPECT_EQ(h.captions.shown, (Strings{"button Stop Downloading", "tray Stop Downloading",
                                         "button Start Downloading", "tray Start Downloading"}));
    EXPECT_EQ(h.skin.writes, (Writes{kRunStartWrites[0],
                                     kRunStartWrites[1],
                                     kRunStartWrites[2],
                                     {"_root.downloadBtn", "1"},
                                     {"_root.startDownload", "1"},
                                     {"_root.downloadTab", "1"}}));

    // The next run retries the cancelled item and goes on.
    h.pump.on_round = nullptr;
    h.run.cmdStartDownload_Click();
    EXPECT_EQ(h.Statuses(), (Strings{"Complete", "Complete"}));
    EXPECT_EQ(h.VideoFile("big.flv"), Body(400000, 'b'));
}

TEST_F(RunControlTest, StopDuringAPageFetchCancelsThatItemAndLeavesTheRest) {
    h.listing.AddVideoURL(h.PutFilePage("1", "a.flv", Body(100, 'a')));
    h.listing.AddVideoURL(h.PutFilePage("2", "b.flv", Body(100, 'b')));
    h.list.AddItem("http://youtube.com/watch?v=x", "", "Link is not supported", "");
    bool asked = false;
    h.pump.on_round = [&](int) {
        if (asked || !h.state.Preparing) return;
        asked = true;
        h.box.answers.push_back(platform::MessageAnswer::Yes);
        h.run.cmdStartDownload_Click();
    };
    h.run.cmdStartDownload_Click();
    EXPECT_TRUE(asked);
    EXPECT_EQ(h.Statuses(), (Strings{"Cancelled", "Waiting", "Link is not supported"}));
    EXPECT_FALSE(h.state.Downloading);
}

TEST_F(RunControlTest, ProgressTextsForPageFetchesAndFileTransfers) {
    h.list.AddItem("http://youtube.com/watch?v=1", "a.flv", "Waiting", "0");
    h.listing.FillDownloadList();
    h.state.CurrentIndex = 0;
    h.state.CurrentRow = 0;
    h.state.Preparing = true;
    Strings statuses;
    for (const int64_t progress : {0, 55, 100, 101}) {
        h.handler.DownloadProgress(progress);
        statuses.push_back(h.list.At(0).Status);
    }
    EXPECT_EQ(statuses, (Strings{"Preperaing (0%)", "Preperaing (55%)", "Preperaing (100%)",
                                 "Preperaing..."}));
    h.handler.DownloadComplete();
    EXPECT_EQ(h.list.At(0).Status, "Start Downloading...");
    EXPECT_EQ(h.state.TransferResult, "1");

    h.state.Preparing = false;
    h.handler.DownloadProgress(500);
    EXPECT_EQ(h.list.At(0).Status, "500 Bytesso far..");
    h.handler.DownloadProgress(2048);
    EXPECT_EQ(h.list.At(0).Status, "2 KBso far..");
    h.list.At(0).FileSize = "1 MB";
    h.handler.DownloadProgress(42);
    EXPECT_EQ(h.list.At(0).Status, "42");
    EXPECT_EQ(h.grid.cell_writes.back().value, "42");
    EXPECT_EQ(h.grid.cell_writes.back().column, list::kColumnStatus);

    h.handler.DownloadError("Could not find URL");
    EXPECT_EQ(h.state.TransferResult, "Could not find URL");
    EXPECT_EQ(h.list.At(0).Status, "42");
    h.state.StopRequested = true;
    h.handler.DownloadProgress(43);
    EXPECT_TRUE(h.download.CancelRequested());
}

TEST_F(RunControlTest, AnItemAppendedAtTheEndMarkJoinsTheRunButNotAfterASkippedOne) {
    const std::string second = h.PutFilePage("2", "second.flv", Body(50, 's'));
    h.listing.AddVideoURL(h.PutFilePage("1", "first.flv", Body(60000, 'f')));
    h.pump.on_round = [&](int) {
        if (h.list.Count() == 1 && ShowsTransferProgress(h.list.At(0)))
            h.listing.AddVideoURL(second);
    };
    h.run.cmdStartDownload_Click();
    EXPECT_EQ(h.Statuses(), (Strings{"Complete", "Complete"}));

    const std::string fourth = h.PutFilePage("4", "fourth.flv", Body(50, 'x'));
    h.listing.AddVideoURL(h.PutFilePage("3", "third.flv", Body(60000, 't')));
    h.list.AddItem("http://youtube.com/watch?v=done", "done.flv", "Complete", "1 KB");
    h.pump.on_round = [&](int) {
        if (h.list.Count() == 4 && ShowsTransferProgress(h.list.At(2)))
            h.listing.AddVideoURL(fourth);
    };
    h.run.cmdStartDownload_Click();
    EXPECT_EQ(h.Statuses(), (Strings{"Complete", "Complete", "Complete", "Complete", "Waiting"}));
}

TEST_F(RunControlTest, AnErrorAnswerEndsInErrorAndNeverReplacesAFile) {
    h.server.Serve("/putfile.com/404",
                   test_support::Answer::Http(
                       200, "OK", {}, "<a href='" + h.server.Url("/files/gone.flv") + "'>"));
    h.server.Serve("/files/gone.flv", test_support::Answer::Http(404, "Not Found", {}, "no such"));
    h.listing.AddVideoURL(h.server.Url("/putfile.com/404"));
    std::filesystem::create_directories(h.folder.File("videos"));
    test_support::WriteWholeFile(h.folder.File("videos/gone.flv"), "the user's own file");
    h.run.cmdStartDownload_Click();
    EXPECT_EQ(h.Statuses(), (Strings{"ERROR"}));
    EXPECT_EQ(h.VideoFile("gone.flv"), "the user's own file");
}

TEST_F(RunControlTest, RemovalsDuringATransferNeverMisdirectProgress) {
    h.list.AddItem("http://youtube.com/watch?v=old", "old.flv", "Complete", "1 KB");
    h.listing.AddVideoURL(h.PutFilePage("1", "follow.flv", Body(300000, 'f')));
    h.listing.AddVideoURL(h.PutFilePage("2", "after.flv", Body(300000, 'g')));
    h.listing.AddVideoURL(h.PutFilePage("3", "last.flv", Body(100, 'l')));
    bool removed_above = false, removed_current = false;
    int misdirected = 0;
    h.grid.on_cell_write = [&](const fakes::FakeGrid::CellWrite& write) {
        // A file transfer's progress belongs in the row of the file being written.
        if (h.state.Preparing) return;
        const std::string target = std::filesystem::path(h.download.LocalFile()).filename();
        if (h.grid.CellText(write.row, list::kColumnFileName) != target) ++misdirected;
    };
    h.pump.on_round = [&](int) {
        if (!removed_above && ShowsTransferProgress(h.list.At(1))) {
            removed_above = true;
            h.list.RemoveItem(1); // the item above the one being downloaded
            h.listing.FillDownloadList();
        } else if (removed_above && !removed_current && h.list.Count() == 3 &&
                   ShowsTransferProgress(h.list.At(1))) {
            removed_current = true;
            h.list.RemoveItem(2); // the very item being downloaded
            h.listing.FillDownloadList();
        }
    };
    h.run.cmdStartDownload_Click();
    ASSERT_TRUE(removed_above && removed_current);
    Strings urls;
    for (const auto& item : h.list.Items()) urls.push_back(item.FileName);
    EXPECT_EQ(urls, (Strings{"follow.flv", "last.flv"}));
    EXPECT_EQ(h.Statuses(), (Strings{"Complete", "Complete"}));
    EXPECT_EQ(misdirected, 0);
    EXPECT_GT(h.grid.cell_writes.size(), 100u);
    EXPECT_FALSE(std::filesystem::exists(h.folder.File("videos/after.flv")));
    EXPECT_EQ(h.VideoFile("follow.flv"), Body(300000, 'f'));
}

TEST_F(RunControlTest, EditedNamesSurviveAndDerivedNamesNeverCollide) {
    h.listing.AddVideoURL(h.PutFilePage("1", "same.flv", Body(10, '1')));
    h.listing.AddVideoURL(h.ThatVideoSitePage("2", "same.flv", Body(20, '2')));
    h.listing.AddVideoURL(h.PutFilePage("3", "other.flv", Body(30, '3')));
    h.list.UpdateItem(3, "", "mine.flv", "", "");
    h.run.cmdStartDownload_Click();
    Strings names;
    for (const auto& item : h.list.Items()) names.push_back(item.FileName);
    EXPECT_EQ(names, (Strings{"same.flv", "same (2).flv", "mine.flv"}));
    EXPECT_EQ(h.VideoFile("same.flv"), Body(10, '1'));
    EXPECT_EQ(h.VideoFile("same (2).flv"), Body(20, '2'));
    EXPECT_EQ(h.VideoFile("mine.flv"), Body(30, '3'));
}

TEST(OutcomeRule, ReadsTheFirstTwoCharactersOfTheSizeText) {
    EXPECT_EQ(OutcomeOfSizeText("12.4 MB"), "Complete");
    EXPECT_EQ(OutcomeOfSizeText("0"), "Complete");
    EXPECT_EQ(OutcomeOfSizeText("-1 Bytes"), "ERROR");
    EXPECT_EQ(OutcomeOfSizeText("????"), "ERROR");
    EXPECT_EQ(OutcomeOfSizeText(""), "ERROR");
}

} // namespace
} // namespace tarnwick::driver
