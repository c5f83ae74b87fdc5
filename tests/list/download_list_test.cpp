#include "list/download_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::list {
namespace {

std::vector<std::string> Urls(const DownloadList& list) {
    std::vector<std::string> urls;
    for (const ListedItem& item : list.Items()) urls.push_back(item.Video_URL);
    return urls;
}

void ExpectIdsArePositions(const DownloadList& list) {
    for (int p = 0; p < list.Count(); ++p) EXPECT_EQ(list.At(p).ID, p + 1);
}

DownloadList ListOf(std::initializer_list<const char*> urls) {
    DownloadList list;
    for (const char* url : urls) list.AddItem(url, "f", "s", "z");
    return list;
}

TEST(DownloadListAdd, NumbersItemsInOrderAndFillsPlaceholders) {
    DownloadList list;
    EXPECT_TRUE(list.IsListEmpty());
    list.AddItem("a", "fa", "", "");
    list.AddItem("b", "fb", "Complete", "1 KB");
    list.AddItem("c", "fc", "", "");
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"a", "b", "c"}));
    ExpectIdsArePositions(list);
    EXPECT_EQ(list.At(0).Status, "Waiting");
    EXPECT_EQ(list.At(0).FileSize, "????");
    EXPECT_EQ(list.At(1).Status, "Complete");
    EXPECT_EQ(list.At(1).FileSize, "1 KB");
}

TEST(DownloadListAdd, RefusesAnExactDuplicateButNotAnotherLetterCase) {
    DownloadList list = ListOf({"http://x/A"});
    list.AddItem("http://x/A", "other", "other", "other");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0).FileName, "f");
    list.AddItem("http://x/a", "", "", "");
    EXPECT_EQ(list.Count(), 2);
}

TEST(DownloadListAdd, StopsAtThirtyTwoThousandSevenHundredSixtySevenItems) {
    DownloadList list;
    for (int i = 0; i < DownloadList::kMaxItems + 5; ++i)
        list.AddItem(std::to_string(i), "", "", "");
    EXPECT_EQ(list.Count(), 32767);
    EXPECT_EQ(list.At(32766).ID, 32767);
    list.RemoveItem(1);
    EXPECT_EQ(list.Count(), 32766);
    ExpectIdsArePositions(list);
}

TEST(DownloadListAdd, AnAddressChangedByUpdateIsFreeAgain) {
    DownloadList list = ListOf({"a", "b"});
    list.UpdateItem(1, "c", "", "", "");
    list.AddItem("a", "", "", "");
    list.AddItem("c", "", "", "");
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"c", "b", "a"}));
    list.RemoveItem(1);
    list.AddItem("c", "", "", "");
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"b", "a", "c"}));
}

TEST(DownloadListUpdate, ChangesOnlyTheNonEmptyFields) {
    DownloadList list = ListOf({"a", "b"});
    list.UpdateItem(2, "", "new.flv", "", "");
    EXPECT_EQ(list.At(1).FileName, "new.flv");
    EXPECT_EQ(list.At(1).Status, "s");
    list.UpdateItem(2, "", "", "", "");
    EXPECT_EQ(list.At(1).FileName, "new.flv");
    list.UpdateItem(3, "x", "x", "x", "x");
    list.UpdateItem(0, "x", "x", "x", "x");
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"a", "b"}));
}

TEST(DownloadListRemove, KeepsOrderAndRenumbers) {
    DownloadList list = ListOf({"1", "2", "3", "4"});
    list.RemoveItem(2);
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"1", "3", "4"}));
    ExpectIdsArePositions(list);
    list.RemoveItem(9);
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"1", "3", "4"}));
    DownloadList single = ListOf({"only"});
    single.RemoveItem(1);
    EXPECT_TRUE(single.IsListEmpty());
    single.RemoveItem(1);
    EXPECT_TRUE(single.IsListEmpty());
}

TEST(DownloadListKeys, FollowTheItemThroughRemovalsAndMoves) {
    DownloadList list = ListOf({"1", "2", "3"});
    const uint32_t third = list.At(2).Key;
    list.RemoveItem(1);
    EXPECT_EQ(list.PositionOfKey(third), 1);
    list.MoveItemUp(2);
    EXPECT_EQ(list.PositionOfKey(third), 0);
    list.RemoveItem(1);
    EXPECT_EQ(list.PositionOfKey(third), -1);
    list.AddItem("3", "", "", "");
    EXPECT_NE(list.At(1).Key, third);
}

TEST(DownloadListMove, SwapsNeighboursAndTheirIds) {
    DownloadList list = ListOf({"1", "2", "3", "4"});
    list.MoveItemUp(1);
    list.MoveItemDown(4);
    list.MoveItemUp(99);
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"1", "2", "3", "4"}));
    list.MoveItemUp(3);
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"1", "3", "2", "4"}));
    ExpectIdsArePositions(list);
    list.MoveItemDown(1);
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"3", "1", "2", "4"}));
    ExpectIdsArePositions(list);
}

} // namespace
} // namespace tarnwick::list
