#include "list/download_queue.h"
#include "list/add_video_url.h"
#include "list/item_texts.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tarnwick::list {
namespace {

// Logs every notification, and checks each "-ing" call sees the queue before
// the change and each after-call sees it after.
class LoggingObserver : public QueueObserver {
public:
    explicit LoggingObserver(DownloadQueue& queue) : queue_(queue) { queue_.AddObserver(this); }
    ~LoggingObserver() override { queue_.RemoveObserver(this); }

    void OnInserting(int p) override {
        count_before_ = queue_.Count();
        Log("inserting", p, p <= queue_.Count());
    }
    void OnInserted(int p) override {
        Log("inserted", p, p < queue_.Count() && queue_.Count() == count_before_ + 1);
    }
    void OnRemoving(int p) override { Log("removing", p, p < queue_.Count()); }
    void OnRemoved(int p) override { Log("removed", p, p <= queue_.Count()); }
    void OnMoving(int from, int to) override { Log("moving", from * 10 + to, true); }
    void OnMoved(int from, int to) override { Log("moved", from * 10 + to, true); }
    void OnChanged(int p, unsigned fields) override {
        log.push_back("changed " + std::to_string(p) + " fields " + std::to_string(fields));
    }
    void OnRemovingRange(int first, int last) override {
        if (!ranges) return QueueObserver::OnRemovingRange(first, last);
        Log("removing range", first * 10 + last, last < queue_.Count());
    }
    void OnRemovedRange(int first, int last) override {
        if (!ranges) return QueueObserver::OnRemovedRange(first, last);
        Log("removed range", first * 10 + last, first <= queue_.Count());
    }
    void OnBatchBegin() override { log.push_back("batch"); }
    void OnBatchEnd() override { log.push_back("end"); }

    // Whether ranges are heard as ranges, or as the single removals they make.
    bool ranges = true;

    std::vector<std::string> log;

private:
    void Log(const char* what, int at, bool consistent) {
        EXPECT_TRUE(consistent) << what << " " << at << " with " << queue_.Count() << " items";
        log.push_back(std::string(what) + " " + std::to_string(at));
    }
    DownloadQueue& queue_;
    int count_before_ = 0;
};

std::vector<std::string> Addresses(const DownloadQueue& queue) {
    std::vector<std::string> addresses;
    for (int p = 0; p < queue.Count(); ++p) addresses.push_back(queue.At(p).page_address);
    return addresses;
}

DownloadItem ItemOf(const std::string& address) {
    DownloadItem item;
    item.page_address = address;
    return item;
}

DownloadQueue::AddResult Add(DownloadQueue& queue, const std::string& address) {
    return queue.Add(ItemOf(address));
}

TEST(DownloadQueueRemoveMany, RunsOfNeighboursGoAsRangesFromTheEndInOneBatch) {
    DownloadQueue queue;
    for (const char* address : {"a", "b", "c", "d", "e", "f", "g"}) Add(queue, address);
    std::vector<ItemKey> keys;
    for (const int p : {5, 1, 2, 6, 4}) keys.push_back(queue.At(p).key);
    const ItemKey gone = queue.At(1).key;
    LoggingObserver observer(queue);
    EXPECT_EQ(queue.RemoveMany(keys), 5);
    EXPECT_EQ(observer.log,
              (std::vector<std::string>{"batch", "removing range 46", "removed range 46",
                                        "removing range 12", "removed range 12", "end"}));
    EXPECT_EQ(Addresses(queue), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(queue.Find(gone), nullptr);
    EXPECT_EQ(queue.PositionOf(queue.At(1).key), 1);
    EXPECT_FALSE(queue.HasAddress("b"));
    EXPECT_EQ(Add(queue, "b"), DownloadQueue::AddResult::kAdded) << "its address is free again";
    EXPECT_EQ(queue.RemoveMany({gone}), 0);
}

TEST(DownloadQueueRemoveMany, ObserversOfSingleRemovalsHearEachFromTheLast) {
    DownloadQueue queue;
    for (const char* address : {"a", "b", "c", "d"}) Add(queue, address);
    LoggingObserver observer(queue);
    observer.ranges = false;
    queue.RemoveMany({queue.At(1).key, queue.At(2).key});
    EXPECT_EQ(observer.log, (std::vector<std::string>{"batch", "removing 2", "removing 1",
                                                      "removed 2", "removed 1", "end"}));
}

TEST(DownloadQueueInsertMany, PutsItemsBackInTheirPlacesInOneBatch) {
    DownloadQueue queue;
    for (const char* address : {"a", "b", "c", "d", "e"}) Add(queue, address);
    std::vector<DownloadQueue::Placed> removed = {{1, queue.At(1)}, {3, queue.At(3)}};
    const ItemKey old_key = queue.At(1).key;
    queue.RemoveMany({removed[0].item.key, removed[1].item.key});
    removed.push_back({0, ItemOf("a")});  // listed again meanwhile: stays out
    removed.push_back({99, ItemOf("z")}); // past the end: goes at the end
    LoggingObserver observer(queue);
    const std::vector<ItemKey> keys = queue.InsertMany(removed);
    EXPECT_EQ(observer.log,
              (std::vector<std::string>{"batch", "inserting 1", "inserted 1", "inserting 3",
                                        "inserted 3", "inserting 5", "inserted 5", "end"}));
    EXPECT_EQ(Addresses(queue), (std::vector<std::string>{"a", "b", "c", "d", "e", "z"}));
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(queue.At(1).key, keys[0]);
    EXPECT_NE(keys[0], old_key) << "an item put back is listed anew";
    for (int p = 0; p < queue.Count(); ++p) EXPECT_EQ(queue.PositionOf(queue.At(p).key), p);
    EXPECT_EQ(queue.KeyOfAddress("d"), keys[1]);
    EXPECT_EQ(Add(queue, "b"), DownloadQueue::AddResult::kDuplicate);
}

TEST(DownloadQueueModifyMany, ChangesEachInOneBatch) {
    DownloadQueue queue;
    for (const char* address : {"a", "b", "c"}) Add(queue, address);
    LoggingObserver observer(queue);
    queue.ModifyMany({queue.At(0).key, queue.At(2).key},
                     [](DownloadItem& item) { item.state = ItemState::kFailed; });
    ASSERT_EQ(observer.log.size(), 4u);
    EXPECT_EQ(observer.log.front(), "batch");
    EXPECT_EQ(observer.log[1].rfind("changed 0", 0), 0u);
    EXPECT_EQ(observer.log[2].rfind("changed 2", 0), 0u);
    EXPECT_EQ(observer.log.back(), "end");
}

TEST(DownloadQueueAdd, AppendsInOrderAndRefusesExactDuplicatesOnly) {
    DownloadQueue queue;
    LoggingObserver observer(queue);
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(Add(queue, "http://x/A"), DownloadQueue::AddResult::kAdded);
    EXPECT_EQ(Add(queue, "http://x/A"), DownloadQueue::AddResult::kDuplicate);
    EXPECT_EQ(Add(queue, "http://x/a"), DownloadQueue::AddResult::kAdded);
    EXPECT_EQ(Addresses(queue), (std::vector<std::string>{"http://x/A", "http://x/a"}));
    EXPECT_EQ(observer.log,
              (std::vector<std::string>{"inserting 0", "inserted 0", "inserting 1", "inserted 1"}));
    EXPECT_NE(queue.At(0).key, queue.At(1).key);
}

TEST(DownloadQueueAdd, StopsAtThirtyTwoThousandSevenHundredSixtySevenItems) {
    DownloadQueue queue;
    for (int i = 0; i < DownloadQueue::kMaxItems; ++i) Add(queue, std::to_string(i));
    EXPECT_EQ(Add(queue, "one more"), DownloadQueue::AddResult::kFull);
    EXPECT_EQ(queue.Count(), 32767);
    EXPECT_EQ(queue.PositionOf(queue.At(32766).key), 32766);
    queue.Remove(queue.At(0).key);
    EXPECT_EQ(Add(queue, "one more"), DownloadQueue::AddResult::kAdded);
    EXPECT_EQ(queue.PositionOf(queue.LastKey()), 32766);
}

TEST(DownloadQueueRemove, KeepsTheOrderAndFreesTheAddress) {
    DownloadQueue queue;
    for (const char* address : {"1", "2", "3", "4"}) Add(queue, address);
    const ItemKey fourth = queue.At(3).key;
    LoggingObserver observer(queue);
    EXPECT_TRUE(queue.Remove(queue.At(1).key));
    EXPECT_FALSE(queue.Remove(999));
    EXPECT_EQ(Addresses(queue), (std::vector<std::string>{"1", "3", "4"}));
    EXPECT_EQ(queue.PositionOf(fourth), 2);
    EXPECT_EQ(queue.Find(999), nullptr);
    EXPECT_EQ(observer.log, (std::vector<std::string>{"removing 1", "removed 1"}));
    EXPECT_EQ(Add(queue, "2"), DownloadQueue::AddResult::kAdded);
}

// Against a set kept beside it, through growth and removals one by one and
// in ranges: every listed address is found as its own item, and no other.
TEST(DownloadQueueRemove, FindsExactlyTheListedAddressesThroughGrowthAndRemovals) {
    DownloadQueue queue;
    std::map<std::string, ItemKey> listed;
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string address = "http://www.youtube.com/watch?v=" + std::to_string(i);
        Add(queue, address);
        listed[address] = queue.LastKey();
        if (random() % 3 == 0) {
            auto victim = listed.begin();
            std::advance(victim, static_cast<long>(random() % listed.size()));
            queue.Remove(victim->second);
            listed.erase(victim);
        }
        if (i % 500 == 499) {
            const int first = static_cast<int>(random() % 100);
            std::vector<ItemKey> range;
            for (int p = first; p < first + 20; ++p) {
                range.push_back(queue.At(p).key);
                listed.erase(queue.At(p).page_address);
            }
            queue.RemoveMany(range);
        }
    }
    ASSERT_EQ(queue.Count(), static_cast<int>(listed.size()));
    for (int i = 0; i < 3000; ++i) {
        const std::string address = "http://www.youtube.com/watch?v=" + std::to_string(i);
        const auto found = listed.find(address);
        EXPECT_EQ(queue.KeyOfAddress(address),
                  found == listed.end() ? std::nullopt : std::optional(found->second))
            << address;
    }
    EXPECT_FALSE(queue.HasAddress("http://www.youtube.com/watch?v="));
}

TEST(DownloadQueueMove, SwapsNeighboursButNotPastTheEnds) {
    DownloadQueue queue;
    for (const char* address : {"1", "2", "3", "4"}) Add(queue, address);
    LoggingObserver observer(queue);
    EXPECT_FALSE(queue.MoveUp(queue.At(0).key));
    EXPECT_FALSE(queue.MoveDown(queue.At(3).key));
    EXPECT_TRUE(queue.MoveUp(queue.At(2).key));
    EXPECT_EQ(Addresses(queue), (std::vector<std::string>{"1", "3", "2", "4"}));
    EXPECT_TRUE(queue.MoveDown(queue.At(0).key));
    EXPECT_EQ(Addresses(queue), (std::vector<std::string>{"3", "1", "2", "4"}));
    EXPECT_EQ(observer.log,
              (std::vector<std::string>{"moving 12", "moved 12", "moving 1", "moved 1"}));
    for (int p = 0; p < queue.Count(); ++p) EXPECT_EQ(queue.PositionOf(queue.At(p).key), p);
}

TEST(DownloadQueueChange, TellsOnlyTheFieldsThatChanged) {
    DownloadQueue queue;
    Add(queue, "http://www.youtube.com/watch?v=1");
    const ItemKey key = queue.LastKey();
    LoggingObserver observer(queue);
    queue.Modify(key, [](DownloadItem& i) { i.state = ItemState::kPreparing; });
    queue.Modify(key, [](DownloadItem& i) { i.page_address = "changed"; });
    queue.Rename(key, "mine.flv");
    queue.Modify(key, [](DownloadItem& i) {
        i.state = ItemState::kDownloading;
        i.size_kind = SizeKind::kKnown;
        i.total_size = 1000;
    });
    queue.SetReceived(key, 1);   // still 0%
    queue.SetReceived(key, 500); // 50%
    queue.Modify(key, [](DownloadItem& i) { i.rare->resolved = "{}"; });
    EXPECT_EQ(queue.At(0).page_address, "http://www.youtube.com/watch?v=1") << "kept as entered";
    EXPECT_EQ(observer.log, (std::vector<std::string>{
                                "changed 0 fields " + std::to_string(kFieldStatus),
                                "changed 0 fields " + std::to_string(kFieldName),
                                "changed 0 fields " + std::to_string(kFieldStatus | kFieldSize),
                                "changed 0 fields " + std::to_string(kFieldStatus),
                                "changed 0 fields " + std::to_string(kFieldResolved)}));
}

TEST(DownloadQueueNames, KnowWhichNamesOtherItemsHave) {
    DownloadQueue queue;
    Add(queue, "1");
    Add(queue, "2");
    const ItemKey first = queue.At(0).key;
    const ItemKey second = queue.At(1).key;
    queue.Rename(first, "a.flv");
    EXPECT_TRUE(queue.IsNameTaken("a.flv", second));
    EXPECT_FALSE(queue.IsNameTaken("a.flv", first));
    queue.Rename(second, "a.flv");
    EXPECT_TRUE(queue.IsNameTaken("a.flv", first));
    queue.Remove(second);
    EXPECT_FALSE(queue.IsNameTaken("a.flv", first));
    queue.Rename(first, "b.flv");
    EXPECT_FALSE(queue.IsNameTaken("a.flv", 0));
}

TEST(AddVideoURL, ListsSupportedAddressesWaitingAndOthersAsNotSupported) {
    DownloadQueue queue;
    AddVideoURL(queue, "http://www.youtube.com/watch?v=1");
    AddVideoURL(queue, " http://example.org/clip");
    EXPECT_EQ(StatusText(queue.At(0)), "Waiting");
    EXPECT_EQ(FileNameText(queue.At(0)), "Waiting (Auto Detect)");
    EXPECT_EQ(SizeText(queue.At(0)), "????");
    EXPECT_EQ(StatusText(queue.At(1)), "Link is not supported");
    EXPECT_EQ(FileNameText(queue.At(1)), "ERROR");
    EXPECT_EQ(queue.At(1).page_address, " http://example.org/clip") << "kept as entered";
    EXPECT_EQ(AddVideoURL(queue, "http://www.youtube.com/watch?v=1"),
              DownloadQueue::AddResult::kDuplicate);
}

} // namespace
} // namespace tarnwick::list
