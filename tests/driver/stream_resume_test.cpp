// A streamed video that stopped partway goes on where it stopped: the pieces
// on disk are kept and counted, and only the rest are asked for.
#include "driver/stream_harness.h"
#include "support/kept_files.h"

#include "list/reason_texts.h"

#include <filesystem>
#include <string>
#include <utility>

namespace tarnwick::driver {
namespace {

class StreamResumeTest : public StreamHarness {
protected:
    StreamResumeTest() {
        http.RouteHead(kAddress, fakes::FakeReply::Page(kPlaylist));
        http.Route(kAddress, fakes::FakeReply::Page(kPlaylist));
        http.Route("http://tv.example/a.ts", fakes::FakeReply::Page("AA"));
        http.Route("http://tv.example/b.ts", fakes::FakeReply::Status(503));
        list::AddVideoURL(queue, kAddress, true);
        key = queue.LastKey();
    }
    // Runs until the item ends, through the retries of a failing piece.
    void RunOnce() {
        stream_run.Start();
        Settle();
        for (const int wait : {1000, 2000, 4000}) {
            clock.Advance(platform::Duration(wait));
            Settle();
        }
    }
    void RunAgain() {
        queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kWaiting; });
        RunOnce();
    }

    static constexpr const char* kAddress = "http://tv.example/show.m3u8";
    static constexpr const char* kPlaylist =
        "#EXTM3U\n#EXTINF:2,\na.ts\n#EXTINF:2,\nb.ts\n#EXT-X-ENDLIST\n";
    list::ItemKey key = 0;
};

TEST_F(StreamResumeTest, ATryThatFailedGoesOnFromTheLastWholePiece) {
    RunOnce();
    ASSERT_EQ(Status(key), "ERROR");
    EXPECT_EQ(Item(key).rare->failure->http_status, 503);
    ASSERT_TRUE(Item(key).rare->kept.has_value());
    const auto& stream = std::get<transfer::KeptStream>(*Item(key).rare->kept);
    EXPECT_EQ(stream.bytes, 2);
    EXPECT_EQ(stream.pieces, 1u);
    EXPECT_EQ(stream.total, 2u);
    const std::string kept = stream.path;
    EXPECT_EQ(test_support::ReadWholeFile(kept), "AA");

    http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
    RunAgain();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(Requests("http://tv.example/a.ts"), 1) << "a piece on disk is not asked again";
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("show.ts")), "AABB");
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST_F(StreamResumeTest, StopKeepsTheWholePiecesAndStartGoesOnFromTheNext) {
    http.Route("http://tv.example/b.ts", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    stream_run.Start();
    Settle();
    stream_run.Stop();
    Settle();
    ASSERT_EQ(Status(key), "Cancelled");
    EXPECT_EQ(http.OpenCount(), 0) << "every piece's request ends";
    EXPECT_EQ(test_support::KeptBytes(Item(key)), 2);
    http.Route("http://tv.example/b.ts", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kWaiting; });
    stream_run.Start();
    Settle();
    EXPECT_EQ(Status(key), "50") << "the pieces kept count from the start";
    stream_run.Stop();
    Settle();
    http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
    RunAgain();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(Requests("http://tv.example/a.ts"), 1);
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("show.ts")), "AABB");
}

TEST_F(StreamResumeTest, PiecesOfAnotherPlaylistStartAfresh) {
    RunOnce();
    const std::string kept = test_support::KeptPath(Item(key));
    const std::string longer =
        "#EXTM3U\n#EXTINF:2,\na.ts\n#EXTINF:2,\nc.ts\n#EXTINF:2,\nb.ts\n#EXT-X-ENDLIST\n";
    http.Route(kAddress, fakes::FakeReply::Page(longer));
    http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
    http.Route("http://tv.example/c.ts", fakes::FakeReply::Page("CC"));
    RunAgain();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(test_support::ReadWholeFile(VideoPath("show.ts")), "AACCBB");
    EXPECT_FALSE(std::filesystem::exists(kept));
}

// Counts the changes that leave an item under way although its finished file
// already has its name: a list kept at such a change would download it again.
class FinishedButUnderWay : public list::QueueObserver {
public:
    FinishedButUnderWay(list::DownloadQueue& queue, std::string folder)
        : queue_(queue), folder_(std::move(folder)) {
        queue_.AddObserver(this);
    }
    ~FinishedButUnderWay() override { queue_.RemoveObserver(this); }
    int count = 0;

private:
    void OnChanged(int position, unsigned) override {
        const list::DownloadItem& item = queue_.At(position);
        count += item.state != list::ItemState::kComplete && !item.name.empty() &&
                 !item.rare->kept && std::filesystem::exists(folder_ + "/" + item.name);
    }
    list::DownloadQueue& queue_;
    std::string folder_;
};

TEST_F(StreamResumeTest, TheFileTakesItsNameInTheChangeThatCompletesTheItem) {
    http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
    FinishedButUnderWay watch(queue, folder.File("videos"));
    RunOnce();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(watch.count, 0);
}

} // namespace
} // namespace tarnwick::driver
