#include "list/download_listing.h"

#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/listing_harness.h"
#include "fakes/scripted_message_box.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::list {
namespace {

class DownloadListingTest : public testing::Test, protected fakes::ListingHarness {
protected:
};

TEST_F(DownloadListingTest, AddVideoUrlClassifiesListsAndRebuilds) {
    listing.AddVideoURL("http://www.youtube.com/watch?v=1");
    listing.AddVideoURL("http://example.org/clip");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0).FileName, "Waiting (Auto Detect)");
    EXPECT_EQ(list.At(0).Status, "Waiting");
    EXPECT_EQ(list.At(0).FileSize, "????");
    EXPECT_EQ(list.At(1).FileName, "ERROR");
    EXPECT_EQ(list.At(1).Status, "Link is not supported");
    EXPECT_EQ(list.At(1).FileSize, "????");
    ASSERT_TRUE(grid.view);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.CellText(1, kColumnID), "2");
    EXPECT_EQ(grid.CellText(1, kColumnStatus), "Link is not supported");
}

TEST_F(DownloadListingTest, ADuplicateAddsNothingButStillRebuilds) {
    listing.AddVideoURL("http://youtube.com/watch?v=1");
    const int binds = grid.binds;
    listing.AddVideoURL("http://youtube.com/watch?v=1");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(grid.binds, binds + 1);
}

TEST_F(DownloadListingTest, FillYieldsFourteenRoundsPerRowAndKeepsLongTexts) {
    const std::string long_url = "http://youtube.com/watch?v=" + std::string(273, 'x');
    list.AddItem(long_url, "a", "", "");
    list.AddItem("b", "b", "", "");
    list.AddItem("c", "c", "", "");
    listing.FillDownloadList();
    EXPECT_EQ(pump.rounds, 3 * 14);
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.CellText(0, kColumnVideoUrl), long_url);
    EXPECT_EQ(listing.View()->CurrentRow(), 0);
    EXPECT_FALSE(state.FillingList);
}

TEST_F(DownloadListingTest, EmptyListUnbindsWithoutFormatting) {
    listing.FillDownloadList();
    EXPECT_EQ(grid.null_binds, 1);
    EXPECT_EQ(grid.column_setups, 0);
    EXPECT_EQ(pump.rounds, 0);
}

TEST_F(DownloadListingTest, RebuildAskedForDuringAFillIsDropped) {
    list.AddItem("a", "", "", "");
    list.AddItem("b", "", "", "");
    int nested_rounds = -1;
    pump.on_round = [&](int round) {
        if (round != 3) return;
        const int before = pump.rounds;
        listing.FillDownloadList();
        nested_rounds = pump.rounds - before;
    };
    listing.FillDownloadList();
    EXPECT_EQ(nested_rounds, 0);
    EXPECT_EQ(grid.binds, 1);
    EXPECT_EQ(grid.RowCount(), 2);
}

TEST_F(DownloadListingTest, FillStopsAtTheListsEndWhenItemsGoAwayMeanwhile) {
    for (const char* url : {"a", "b", "c", "d"}) list.AddItem(url, "", "", "");
    pump.on_round = [&](int round) {
        if (round == 1) {
            list.RemoveItem(4);
            list.RemoveItem(3);
        }
    };
    listing.FillDownloadList();
    EXPECT_EQ(grid.RowCount(), 2);
}

TEST_F(DownloadListingTest, FirstRebuildSetsTheGridUpLaterOnesOnlyRebind) {
    list.AddItem("a", "", "", "");
    listing.FillDownloadList();
    EXPECT_TRUE(state.GridFormatted);
    EXPECT_EQ(grid.columns[0].caption, " ");
    EXPECT_EQ(grid.columns[2].caption, "Local File Name");
    EXPECT_TRUE(grid.columns[2].editable);
    EXPECT_FALSE(grid.columns[3].editable);
    EXPECT_EQ(grid.columns[1].width_twips, 3800);
    const int setups = grid.column_setups;
    listing.FillDownloadList();
    EXPECT_EQ(grid.column_setups, setups);
    EXPECT_EQ(grid.binds, 2);
}

TEST_F(DownloadListingTest, FailingUnbindShowsTheCriticalMessage) {
    grid.fail_next_bind = 13;
    listing.FillDownloadList();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "An error occured while filling the Download list\r13:bind failed");
    EXPECT_EQ(box.shown[0].title, "Tarnwick");
    EXPECT_EQ(box.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(box.shown[0].buttons, platform::MessageButtons::Ok);
}

TEST_F(DownloadListingTest, ObjectNotSetEndsTheFillSilently) {
    grid.fail_next_bind = 91;
    listing.FillDownloadList();
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(DownloadListingTest, DuringARunAddRelocatesTheCurrentRow) {
    listing.AddVideoURL("http://youtube.com/watch?v=1");
    listing.AddVideoURL("http://youtube.com/watch?v=2");
    state.Downloading = true;
    state.CurrentIndex = 1;
    listing.AddVideoURL("http://youtube.com/watch?v=3");
    EXPECT_EQ(state.CurrentRow, 1);
    state.Downloading = false;
    state.CurrentRow.reset();
    listing.AddVideoURL("http://youtube.com/watch?v=4");
    EXPECT_FALSE(state.CurrentRow.has_value());
}

} // namespace
} // namespace tarnwick::list
