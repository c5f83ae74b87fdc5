#include "list/list_keeper.h"

#include "list/add_video_url.h"
#include "list/item_texts.h"
#include "list/queued_list_store.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_list_store.h"
#include "fakes/held_work.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::list {
namespace {

using std::chrono::milliseconds;
using Log = std::vector<std::string>;
using News = std::vector<KeepingNews>;
using Kind = KeepingNews::Kind;

struct RecordingListener : KeepingListener {
    void OnKeepingNews(const KeepingNews& news) override { heard.push_back(news); }
    News heard;
};

platform::StoredItem Kept(const std::string& address, ItemState state) {
    DownloadItem item;
    item.page_address = address;
    item.site = 2;
    item.state = state;
    item.name_kind = NameKind::kNamed;
    item.name = address.substr(address.rfind('/') + 1) + ".flv";
    return ToStored(item, 0);
}

class ListKeeperTest : public testing::Test {
protected:
    ListKeeperTest() { keeper.SetListener(&listener); }
    void Keep(platform::StoredItem item) {
        store.items.push_back(std::move(item));
        store.items.back().id = ++store.last_id;
    }
    ItemKey Add(const std::string& address) {
        AddVideoURL(queue, address);
        return queue.LastKey();
    }

    std::vector<std::string> KeptAddresses() const {
        std::vector<std::string> addresses;
        for (const platform::StoredItem& item : store.items) addresses.push_back(item.page_address);
        return addresses;
    }

    DownloadQueue queue;
    fakes::FakeListStore store;
    fakes::FakeClock clock;
    ListKeeper keeper{queue, store, clock};
    RecordingListener listener;
};

TEST_F(ListKeeperTest, ACommandOnManyItemsIsOneWrite) {
    keeper.SetKeeping(true);
    for (int i = 0; i < 6; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
    std::vector<ItemKey> failing = {queue.At(0).key, queue.At(3).key};
    queue.ModifyMany(failing, [](DownloadItem& item) { item.state = ItemState::kFailed; });
    store.log.clear();
    queue.ModifyMany(failing, [](DownloadItem& item) { item.state = ItemState::kWaiting; });
    queue.RemoveMany({queue.At(1).key, queue.At(2).key, queue.At(5).key});
    EXPECT_EQ(store.log, (Log{"apply 2 0", "apply 0 3"}));
    EXPECT_EQ(KeptAddresses(), (std::vector<std::string>{"http://www.youtube.com/watch?v=0",
                                                         "http://www.youtube.com/watch?v=3",
                                                         "http://www.youtube.com/watch?v=4"}));
    EXPECT_EQ(store.items[1].state, static_cast<int>(ItemState::kWaiting));
    // Later single changes still find their records.
    queue.Remove(queue.At(0).key);
    EXPECT_EQ(store.log.back(), "remove 1");
    EXPECT_EQ(store.items.size(), 2u);
}

TEST_F(ListKeeperTest, ItemsPutBackInTheirPlacesAreKeptThereInOneWrite) {
    keeper.SetKeeping(true);
    for (int i = 0; i < 4; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
    const std::vector<DownloadQueue::Placed> removed = {{1, queue.At(1)}, {2, queue.At(2)}};
    queue.RemoveMany({queue.At(1).key, queue.At(2).key});
    store.log.clear();
    queue.InsertMany(removed);
    EXPECT_EQ(store.log, (Log{"replace 4"})) << "one write in the new order";
    EXPECT_EQ(KeptAddresses(),
              (std::vector<std::string>{
                  "http://www.youtube.com/watch?v=0", "http://www.youtube.com/watch?v=1",
                  "http://www.youtube.com/watch?v=2", "http://www.youtube.com/watch?v=3"}));
    store.log.clear();
    queue.Remove(queue.At(2).key);
    EXPECT_EQ(store.log, (Log{"remove " + std::to_string(store.last_id - 1)}))
        << "later changes find the records written anew";
}

TEST_F(ListKeeperTest, AFailedBatchWriteIsToldAndTheWholeListWrittenLater) {
    keeper.SetKeeping(true);
    for (int i = 0; i < 3; ++i) Add("http://www.youtube.com/watch?v=" + std::to_string(i));
    store.refuse = true;
    queue.RemoveMany({queue.At(0).key, queue.At(1).key});
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0].kind, Kind::kLost);
    store.refuse = false;
    clock.Advance(ListKeeper::kRetryInterval);
    EXPECT_EQ(KeptAddresses(), (std::vector<std::string>{"http://www.youtube.com/watch?v=2"}));
}

TEST_F(ListKeeperTest, TheListComesBackAsItWasWithItemsUnderWayWaiting) {
    Keep(Kept("http://youtube.com/done", ItemState::kComplete));
    platform::StoredItem cut = Kept("http://youtube.com/cut", ItemState::kDownloading);
    cut.size_kind = static_cast<int>(SizeKind::kKnown);
    cut.total_size = 8 << 20;
    const transfer::Kept kept =
        transfer::KeptWhole{"/v/cut.flv.3.tarnwick.part", 6 << 20, 8 << 20, "\"e1\""};
    cut.kept = transfer::KeptText(kept);
    Keep(cut);
    platform::StoredItem failed = Kept("http://youtube.com/gone", ItemState::kFailed);
    failed.failure_reason = static_cast<int>(Reason::kVideoNotFound);
    failed.http_status = 410;
    Keep(failed);
    Keep(Kept("http://youtube.com/done", ItemState::kWaiting)); // a second record of one address

    EXPECT_TRUE(keeper.Restore());
    ASSERT_EQ(queue.Count(), 3);
    EXPECT_EQ(StatusText(queue.At(0)), "Complete");
    const DownloadItem& waiting = queue.At(1);
    EXPECT_EQ(StatusText(waiting), "Waiting");
    EXPECT_EQ(FileNameText(waiting), "cut.flv");
    EXPECT_EQ(SizeText(waiting), "8 MB");
    EXPECT_EQ(waiting.rare->kept, std::optional(kept));
    EXPECT_EQ(waiting.received, 6 << 20) << "it shows how far it came";
    EXPECT_EQ(StatusText(queue.At(2)), "ERROR");
    EXPECT_EQ(queue.At(2).rare->failure, (Failure{Reason::kVideoNotFound, 410, {}}));
    EXPECT_EQ(store.log, (Log{"remove 4"})) << "the second record goes, nothing else is written";
    EXPECT_EQ(store.items.size(), 3u);
}

TEST_F(ListKeeperTest, EachChangeIsOneSmallWrite) {
    keeper.Restore();
    const ItemKey first = Add("http://youtube.com/1");
    Add("http://youtube.com/2");
    const ItemKey third = Add("http://youtube.com/3");
    queue.MoveUp(third);
    queue.Rename(first, "mine.flv");
    queue.Remove(first);
    EXPECT_EQ(store.log, (Log{"insert", "insert", "insert", "swap 2 3", "update 1", "remove 1"}));
    ASSERT_EQ(store.items.size(), 2u);
    EXPECT_EQ(store.items[0].page_address, "http://youtube.com/3");
    EXPECT_EQ(store.items[1].page_address, "http://youtube.com/2");
}

TEST_F(ListKeeperTest, ProgressIsWrittenAtMostOnceASecondAndTheEndAtOnce) {
    keeper.Restore();
    const ItemKey key = Add("http://youtube.com/1");
    queue.Modify(key, [](DownloadItem& item) {
        item.state = ItemState::kDownloading;
        item.size_kind = SizeKind::kKnown;
        item.total_size = 1000;
        item.rare->kept = transfer::KeptWhole{"/v/1.tarnwick.part", 0};
    });
    store.log.clear();
    for (int step = 1; step <= 25; ++step) {
        queue.SetReceived(key, step * 40);
        queue.SetKept(key, transfer::KeptWhole{"/v/1.tarnwick.part", step * 40});
        clock.Advance(milliseconds(100));
    }
    EXPECT_EQ(store.log.size(), 2u) << "2.5 seconds of progress";
    EXPECT_EQ(store.items[0].kept,
              transfer::KeptText(transfer::KeptWhole{"/v/1.tarnwick.part", 800}))
        << "the bytes on disk at the last second";
    queue.Modify(key, [](DownloadItem& item) { item.state = ItemState::kComplete; });
    EXPECT_EQ(store.log.size(), 3u);
    EXPECT_EQ(store.items[0].state, static_cast<int>(ItemState::kComplete));
    clock.Advance(milliseconds(2000));
    EXPECT_EQ(store.log.size(), 3u) << "nothing left to write";
}

TEST_F(ListKeeperTest, HowAnItemWasResolvedIsWrittenAtOnceAndKeptAcrossARestart) {
    keeper.Restore();
    const ItemKey key = Add("http://youtube.com/1");
    queue.Modify(key, [](DownloadItem& item) { item.state = ItemState::kDownloading; });
    store.log.clear();
    const std::string resolved = "{\"url\":\"https://cdn.example/1\",\"kind\":\"http\"}";
    queue.Modify(key, [&](DownloadItem& item) {
        item.rare->resolved = resolved;
        item.rare->title = "Listed";
        item.rare->context = {"https://p.example/", "https://r.example/", "Agent/1", {}};
        item.rare->choice = resolve::QualityPreferences{480, {}, resolve::SoundOnly::kMp3};
    });
    EXPECT_EQ(store.log, (Log{"update 1"})) << "not held back as progress is";

    DownloadQueue restarted;
    ListKeeper restoring{restarted, store, clock};
    EXPECT_TRUE(restoring.Restore());
    ASSERT_EQ(restarted.Count(), 1);
    EXPECT_EQ(restarted.At(0).state, ItemState::kWaiting);
    EXPECT_EQ(restarted.At(0).rare->resolved, resolved);
    EXPECT_EQ(restarted.At(0).rare->title, "Listed");
    EXPECT_EQ(restarted.At(0).rare->context.user_agent, "Agent/1") << "so that Retry still works";
    EXPECT_EQ(restarted.At(0).rare->choice,
              (resolve::QualityPreferences{480, {}, resolve::SoundOnly::kMp3}));
}

// Two items under way wait for their seconds on the keeper's one timer; the
// first one's write fails: the timer then waits for the retry alone.
TEST_F(ListKeeperTest, AProgressWriteThatFailsLeavesTheTimerToTheRetry) {
    keeper.Restore();
    const ItemKey first = Add("http://youtube.com/1");
    const ItemKey second = Add("http://youtube.com/2");
    const auto download = [](DownloadItem& item) {
        item.state = ItemState::kDownloading;
        item.rare->kept = transfer::KeptWhole{"/v/1.tarnwick.part", 0};
    };
    queue.Modify(first, download);
    clock.Advance(milliseconds(500));
    queue.Modify(second, download);
    const transfer::Kept ten = transfer::KeptWhole{"/v/1.tarnwick.part", 10};
    queue.SetKept(first, ten);
    clock.Advance(milliseconds(100));
    queue.SetKept(second, ten);
    store.refuse = true;
    store.log.clear();
    clock.Advance(milliseconds(400));
    EXPECT_EQ(store.log, (Log{"update 1"}));
    EXPECT_EQ(listener.heard, (News{{Kind::kLost, "disk full"}}));
    clock.Advance(ListKeeper::kRetryInterval - milliseconds(1));
    EXPECT_EQ(store.log, (Log{"update 1"})) << "the second item's second brings no write";
    store.refuse = false;
    clock.Advance(milliseconds(1));
    EXPECT_EQ(store.log, (Log{"update 1", "replace 2"}));
    EXPECT_EQ(store.items[0].kept, transfer::KeptText(ten));
}

TEST_F(ListKeeperTest, SwitchedOffTheStoreIsEmptiedAndOnItTakesTheListAgain) {
    keeper.Restore();
    const ItemKey first = Add("http://youtube.com/1");
    keeper.SetKeeping(false);
    const ItemKey second = Add("http://youtube.com/2");
    EXPECT_TRUE(store.items.empty());
    queue.MoveUp(second);
    queue.Modify(first, [](DownloadItem& item) { item.state = ItemState::kDownloading; });
    store.log.clear();
    keeper.SetKeeping(true);
    EXPECT_EQ(store.log, (Log{"replace 2"})) << "one transaction: a kill keeps all or nothing";
    EXPECT_EQ(KeptAddresses(),
              (std::vector<std::string>{"http://youtube.com/2", "http://youtube.com/1"}));

    store.log.clear();
    queue.SetReceived(first, 10);
    EXPECT_TRUE(store.log.empty()) << "progress waits its second from the first write";
    queue.MoveDown(second);
    EXPECT_EQ(store.items[0].page_address, "http://youtube.com/1");
    EXPECT_EQ(store.items[1].page_address, "http://youtube.com/2");
}

TEST_F(ListKeeperTest, FailingWritesAreToldOnceAndTheWholeListIsRetriedEveryMinute) {
    keeper.Restore();
    const ItemKey first = Add("http://youtube.com/1");
    store.refuse = true;
    Add("http://youtube.com/2");
    EXPECT_EQ(listener.heard, (News{{Kind::kLost, "disk full"}}));
    store.log.clear();
    Add("http://youtube.com/3");
    queue.Rename(first, "mine.flv");
    queue.Remove(first);
    clock.Advance(ListKeeper::kRetryInterval - milliseconds(1));
    EXPECT_TRUE(store.log.empty()) << "no write while the list is not kept";

    clock.Advance(milliseconds(1));
    EXPECT_EQ(store.log, (Log{"replace 2"}));
    EXPECT_EQ(listener.heard.size(), 1u) << "a failing retry says nothing more";
    store.refuse = false;
    clock.Advance(ListKeeper::kRetryInterval);
    EXPECT_EQ(store.log, (Log{"replace 2", "replace 2"}));
    EXPECT_EQ(listener.heard, (News{{Kind::kLost, "disk full"}, {Kind::kBack, ""}}));
    EXPECT_EQ(KeptAddresses(),
              (std::vector<std::string>{"http://youtube.com/2", "http://youtube.com/3"}));

    store.log.clear();
    queue.MoveUp(queue.LastKey());
    clock.Advance(ListKeeper::kRetryInterval);
    EXPECT_EQ(store.log, (Log{"swap 2 3"})) << "kept change by change again";
}

TEST_F(ListKeeperTest, AListNotKeptAtTheExitIsWrittenWholeThen) {
    keeper.Restore();
    store.refuse = true;
    Add("http://youtube.com/1");
    store.refuse = false;
    keeper.Flush();
    EXPECT_EQ(KeptAddresses(), (std::vector<std::string>{"http://youtube.com/1"}));
    EXPECT_EQ(listener.heard.back(), (KeepingNews{Kind::kBack, ""}));
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

TEST_F(ListKeeperTest, AStoreWhoseFileHasGoneIsGivenTheWholeListAtOnce) {
    Keep(Kept("http://youtube.com/kept", ItemState::kComplete));
    keeper.Restore();
    const ItemKey second = Add("http://youtube.com/2");
    store.gone = true;
    queue.Remove(second); // the write that finds the file gone
    EXPECT_TRUE(listener.heard.empty());
    EXPECT_TRUE(store.items.empty()) << "what the store held is lost";

    clock.RunDue();
    EXPECT_EQ(KeptAddresses(), (std::vector<std::string>{"http://youtube.com/kept"}));
    EXPECT_EQ(listener.heard, (News{{Kind::kRewritten, ""}}));
    store.log.clear();
    Add("http://youtube.com/3");
    EXPECT_EQ(store.log, (Log{"insert"}));
}

// With writes that end later, a failure is heard once they end, and the list
// is said to be kept again only once the store has kept it.
TEST(ListKeeperWritingLater, AFailureIsHeardLateAndTheListIsKeptAgainOnlyOnceItIs) {
    DownloadQueue queue;
    fakes::FakeListStore store;
    fakes::HeldWork work;
    QueuedListStore queued(store, work);
    fakes::FakeClock clock;
    ListKeeper keeper(queue, queued, clock);
    RecordingListener listener;
    keeper.SetListener(&listener);
    const auto release_all = [&] {
        while (work.Release()) {
        }
    };
    keeper.Restore();
    AddVideoURL(queue, "http://youtube.com/1");
    store.refuse = true;
    AddVideoURL(queue, "http://youtube.com/2");
    EXPECT_TRUE(listener.heard.empty()) << "nothing is known before the writes end";
    release_all();
    EXPECT_EQ(listener.heard, (News{{Kind::kLost, "disk full"}}));

    clock.Advance(ListKeeper::kRetryInterval);
    release_all();
    EXPECT_EQ(listener.heard.size(), 1u) << "a retry that fails later says nothing more";
    store.refuse = false;
    clock.Advance(ListKeeper::kRetryInterval);
    EXPECT_EQ(listener.heard.size(), 1u) << "not kept before the store has kept it";
    release_all();
    EXPECT_EQ(listener.heard.back(), (KeepingNews{Kind::kBack, ""}));
    EXPECT_EQ(store.items.size(), 2u);

    store.log.clear();
    queue.MoveUp(queue.LastKey());
    release_all();
    EXPECT_EQ(store.log.size(), 1u) << "kept change by change again: " << store.log[0];
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

TEST_F(ListKeeperTest, AFileThatCannotBeMadeAgainIsToldAsNotKept) {
    keeper.Restore();
    Add("http://youtube.com/1");
    store.gone = true;
    store.refuse = true;
    store.problem = "Read-only file system";
    Add("http://youtube.com/2");
    clock.RunDue();
    EXPECT_EQ(listener.heard, (News{{Kind::kLost, "Read-only file system"}}));
    store.refuse = false;
    clock.Advance(ListKeeper::kRetryInterval);
    EXPECT_EQ(listener.heard.back(), (KeepingNews{Kind::kBack, ""}));
    EXPECT_EQ(store.items.size(), 2u);
}

TEST(StoredItemTest, CodesTheProgramDoesNotKnowComeBackAsDefaults) {
    platform::StoredItem stored;
    stored.page_address = "http://youtube.com/x";
    stored.state = 99;
    stored.name_kind = static_cast<int>(NameKind::kNamed); // but no name
    stored.size_kind = -3;
    stored.failure_reason = 1000;
    stored.kept = "{\"whole\":{\"path\":\"/v/x.tarnwick.part\",\"bytes\":-5,\"validator\":\"\"}}";
    const DownloadItem item = FromStored(stored);
    EXPECT_EQ(item.state, ItemState::kWaiting);
    EXPECT_EQ(item.name_kind, NameKind::kAutoDetect);
    EXPECT_EQ(item.size_kind, SizeKind::kNotProbed);
    EXPECT_FALSE(item.rare->failure);
    EXPECT_FALSE(item.rare->kept);
}

TEST(StoredItemTest, NamesOfFilesNotOursComeBackAsNone) {
    platform::StoredItem stored;
    stored.page_address = "http://youtube.com/x";
    stored.state = static_cast<int>(ItemState::kCancelled);
    stored.name_kind = static_cast<int>(NameKind::kNamed);
    stored.name = "../../.bashrc";
    for (const char* path :
         {"/home/u/thesis.pdf", "relative/x.tarnwick.part", "/v/.tarnwick.part"}) {
        stored.kept = transfer::KeptText(transfer::KeptPair{
            transfer::KeptWhole{"/v/a.tarnwick.part", 4096}, transfer::KeptWhole{path, 4096}});
        const DownloadItem item = FromStored(stored);
        EXPECT_FALSE(item.rare->kept) << path;
        EXPECT_EQ(item.name.find('/'), std::string::npos) << item.name;
    }
}

} // namespace
} // namespace tarnwick::list

namespace tarnwick::list {
namespace {

// Each completion goes into the history once: with the write of its item,
// with the whole list written after writes failed, or alone while the list
// is not kept.
TEST_F(ListKeeperTest, ACompletionGoesIntoTheHistoryOnceWhateverWritesTheList) {
    keeper.Restore();
    int64_t at = 1000;
    const auto complete = [&](ItemKey key) {
        queue.Modify(key, [&](DownloadItem& item) {
            item.state = ItemState::kComplete;
            item.name = "clip.mp4";
            item.rare->completed_path = "/videos/clip.mp4";
            item.rare->completed_at = ++at;
        });
    };
    const ItemKey first = Add("http://youtube.com/1");
    complete(first);
    queue.Rename(first, "mine.mp4");
    ASSERT_EQ(store.history.size(), 1u);
    EXPECT_EQ(store.history[0].title, "clip");
    EXPECT_EQ(store.history[0].path, "/videos/clip.mp4");

    store.refuse = true;
    complete(Add("http://youtube.com/2"));
    store.refuse = false;
    EXPECT_EQ(store.history.size(), 1u);
    clock.Advance(ListKeeper::kRetryInterval);
    EXPECT_EQ(store.history.size(), 2u) << "with the whole list";

    keeper.SetKeeping(false);
    complete(Add("http://youtube.com/3"));
    EXPECT_EQ(store.history.size(), 3u) << "alone";
    EXPECT_EQ(store.log.back(), "record");
}

} // namespace
} // namespace tarnwick::list
