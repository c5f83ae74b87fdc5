// The list's writes in their order, later: ids given at once, each write's
// failure told later unless a whole list has taken its place.
#include "list/queued_list_store.h"

#include "fakes/fake_list_store.h"
#include "fakes/held_work.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::list {
namespace {

using Log = std::vector<std::string>;

struct HeardWrites : platform::LateWrites {
    void OnWriteFailed(const Failure& failure) override { heard.push_back(failure.detail); }
    void OnWholeListKept() override { heard.push_back("kept"); }
    std::vector<std::string> heard;
};

platform::StoredItem Named(const std::string& name) {
    platform::StoredItem item;
    item.name = name;
    return item;
}

class QueuedListStoreTest : public testing::Test {
protected:
    QueuedListStoreTest() { queued.SetLateWrites(&writes); }
    void ReleaseAll() {
        while (work.Release()) {
        }
    }

    fakes::FakeListStore store;
    fakes::HeldWork work;
    QueuedListStore queued{store, work};
    HeardWrites writes;
};

TEST_F(QueuedListStoreTest, WritesWaitTheirTurnInOrderWithTheirIdsGivenAtOnce) {
    store.items = {Named("a.mp4")};
    store.items[0].id = 7;
    ASSERT_EQ(queued.LoadAll().items.size(), 1u);

    EXPECT_EQ(queued.Insert(Named("b.mp4")).value(), 8) << "counting on from the largest read";
    EXPECT_TRUE(queued.Remove(7));
    EXPECT_EQ(queued.ReplaceAll({Named("c.mp4"), Named("d.mp4")}).value(),
              (std::vector<int64_t>{9, 10}));
    EXPECT_TRUE(store.log.empty()) << "nothing is written before its turn";

    ReleaseAll();
    EXPECT_EQ(store.log, (Log{"insert", "remove 7", "replace 2"}));
    ASSERT_EQ(store.items.size(), 2u);
    EXPECT_EQ(store.items[1].id, 10);
    EXPECT_EQ(writes.heard, (Log{"kept"}));
}

TEST_F(QueuedListStoreTest, AFailureIsToldLaterUnlessAWholeListHasTakenItsPlace) {
    store.refuse = true;
    EXPECT_TRUE(queued.SwapOrder(1, 2)) << "taken, not yet written";
    work.Release();
    EXPECT_EQ(writes.heard, (Log{"disk full"}));

    writes.heard.clear();
    queued.Update(Named("a.mp4"));
    queued.ReplaceAll({Named("a.mp4")});
    work.Release();
    store.refuse = false;
    work.Release();
    EXPECT_EQ(writes.heard, (Log{"kept"})) << "the whole list wrote over the failed update";

    writes.heard.clear();
    queued.ReplaceAll({Named("a.mp4")});
    queued.ReplaceAll({Named("b.mp4")});
    ReleaseAll();
    EXPECT_EQ(writes.heard, (Log{"kept"})) << "only the last whole list is told";
}

} // namespace
} // namespace tarnwick::list
