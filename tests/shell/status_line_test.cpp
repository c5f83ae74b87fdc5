#include "shell/shell_harness.h"
#include "shell/transfer_speed.h"

#include <algorithm>

namespace tarnwick::shell {
namespace {

using std::chrono::milliseconds;

class StatusLineTest : public ShellHarness {
protected:
    int StatusWrites() const { return static_cast<int>(WritesOf(kSkinStatusText).size()); }
    // Lists a video whose bytes the test sends; its probe is refused.
    void AddVideoSentByTheTest(const std::string& id) {
        http.RouteHead("http://media.example/" + id + ".flv", fakes::FakeReply::Status(405));
        AddVideo(id, fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    }
    fakes::FakeHttp::Exchange& VideoExchange() {
        for (const auto& exchange : http.exchanges) {
            if (exchange->IsOpen() && exchange->request.url.ends_with(".flv")) return *exchange;
        }
        ADD_FAILURE() << "no video request";
        return http.Last();
    }
};

TEST_F(StatusLineTest, AMessageComesFirstThenTheSelectedFailureThenTheRunThenReady) {
    AddVideo("1", fakes::FakeReply::Status(404));
    AddVideoSentByTheTest("2");
    EXPECT_EQ(status.Text(), "Ready");
    runs.ToggleRun();
    Settle();
    EXPECT_EQ(Status(0), "ERROR");
    clock.Advance(platform::kScreenBeat);
    EXPECT_EQ(skin.variables[kSkinStatusText], "Preparing item 2");

    fakes::FakeHttp::Exchange& video = VideoExchange();
    video.Answer(200, "Content-Length: 4000\r\n");
    video.Body(std::string(1000, 'v'));
    clock.Advance(platform::kScreenBeat);
    EXPECT_EQ(status.Text(), "Downloading 2.flv");
    video.Body(std::string(1000, 'v'));
    clock.Advance(platform::kScreenBeat);
    EXPECT_EQ(status.Text(), "Downloading 2.flv at 3.9 KB/s, 1 s left");

    grid.SelectCell({0, 2});
    clock.RunDue();
    EXPECT_EQ(status.Text(), "Item 1: The video file was not found (404)");
    status.ShowMessage("This address is already in the list, as item 2");
    clock.Advance(StatusLine::kMessageTime - milliseconds(1));
    EXPECT_EQ(status.Text(), "This address is already in the list, as item 2");
    clock.Advance(milliseconds(1));
    EXPECT_EQ(status.Text(), "Item 1: The video file was not found (404)");
    grid.ClearSelection();
    clock.RunDue();
    EXPECT_EQ(status.Text().substr(0, 17), "Downloading 2.flv");

    video.Body(std::string(2000, 'v'));
    video.End();
    Settle();
    EXPECT_EQ(Status(1), "Complete");
    EXPECT_EQ(status.Text(), "Done: 1 complete, 1 failed");
    EXPECT_EQ(skin.variables[kSkinStatusText], "Done: 1 complete, 1 failed");
}

TEST_F(StatusLineTest, SeveralItemsUnderWayAreCountedWithTheirSpeedTogether) {
    at_once = 3;
    for (const char* id : {"1", "2", "3"}) AddVideoSentByTheTest(id);
    runs.ToggleRun();
    Settle();
    clock.Advance(platform::kScreenBeat);
    EXPECT_EQ(status.Text(), "Downloading 3 items");

    std::vector<fakes::FakeHttp::Exchange*> videos;
    for (const auto& exchange : http.exchanges) {
        if (exchange->IsOpen() && exchange->request.url.ends_with(".flv")) {
            videos.push_back(exchange.get());
            exchange->Answer(200, "Content-Length: 100000\r\n");
        }
    }
    ASSERT_EQ(videos.size(), 3U);
    for (int tick = 0; tick < 2; ++tick) {
        for (fakes::FakeHttp::Exchange* video : videos) video->Body(std::string(1024, 'v'));
        clock.Advance(platform::kScreenBeat);
    }
    // 3 KiB since the first look at the items' bytes, half a second ago.
    EXPECT_EQ(status.Text(), "Downloading 3 items at 6.0 KB/s");

    // One ends: the bytes of those left are measured on, without a drop.
    videos[0]->Body(std::string(100000 - 2048, 'v'));
    videos[0]->End();
    Settle();
    for (fakes::FakeHttp::Exchange* video : {videos[1], videos[2]}) {
        video->Body(std::string(1024, 'v'));
    }
    clock.Advance(platform::kScreenBeat);
    EXPECT_EQ(status.Text(), "Downloading 2 items at 6.7 KB/s") << "5 KiB in 750 ms";

    videos[1]->Body(std::string(100000 - 3072, 'v'));
    videos[1]->End();
    Settle();
    clock.Advance(platform::kScreenBeat);
    EXPECT_EQ(status.Text(), "Downloading 3.flv") << "one item under way is shown as ever";
}

TEST_F(StatusLineTest, TheSpeedIsShownAtMostFourTimesASecond) {
    AddVideoSentByTheTest("1");
    runs.ToggleRun();
    Settle();
    fakes::FakeHttp::Exchange& video = VideoExchange();
    video.Answer(200, "Content-Length: 100000000\r\n");
    const int before = StatusWrites();
    // A byte count that changes every 10 ms, and so does the speed.
    for (int step = 1; step <= 100; ++step) {
        video.Body(std::string(static_cast<size_t>(step) * 7, 'v'));
        clock.Advance(milliseconds(10));
    }
    EXPECT_GE(StatusWrites() - before, 3);
    EXPECT_LE(StatusWrites() - before, 4);
}

TEST_F(StatusLineTest, ARemovedSelectedItemTakesItsReasonAlong) {
    list::DownloadItem failed;
    failed.page_address = "http://www.putfile.com/x";
    failed.state = list::ItemState::kFailed;
    failed.rare->failure = Failure{Reason::kDiskFull};
    queue.Add(failed);
    grid.SetRowSelected(0, true);
    clock.RunDue();
    EXPECT_EQ(status.Text(), "Item 1: The disk is full");
    queue.Remove(queue.LastKey());
    clock.RunDue();
    EXPECT_EQ(status.Text(), "Ready");
}

TEST_F(StatusLineTest, AfterARunItSaysHowItEndedUntilTheNextAction) {
    AddVideo("1");
    AddVideo("2", fakes::FakeReply::Status(404));
    AddVideo("3");
    runs.ToggleRun();
    Settle();
    EXPECT_EQ(status.Text(), "Done: 2 complete, 1 failed");
    clock.Advance(std::chrono::minutes(5));
    EXPECT_EQ(status.Text(), "Done: 2 complete, 1 failed") << "until the next action";
    grid.SelectCell({0, 1});
    clock.RunDue();
    EXPECT_EQ(status.Text(), "Ready");

    runs.ToggleRun();
    Settle();
    EXPECT_EQ(status.Text(), "Done: 0 complete, 0 failed") << "counted afresh for each run";
    AddVideo("4");
    EXPECT_EQ(status.Text(), "Ready");
}

TEST(SpeedMeterTest, AveragesOverTheLastThreeSeconds) {
    SpeedMeter meter;
    const platform::TimePoint start{};
    meter.Add(start, 0);
    EXPECT_FALSE(meter.BytesPerSecond());
    meter.Add(start + milliseconds(1000), 1000);
    EXPECT_EQ(meter.BytesPerSecond(), 1000.0);
    meter.Add(start + milliseconds(2000), 2000);
    meter.Add(start + milliseconds(3000), 3000);
    meter.Add(start + milliseconds(4000), 10000);
    EXPECT_EQ(meter.BytesPerSecond(), 3000.0) << "the first second has left the window";
    meter.Add(start + milliseconds(5000), 0);
    EXPECT_FALSE(meter.BytesPerSecond()) << "a transfer that began again is measured afresh";
}

TEST(SpeedMeterTest, TextsOfSpeedAndTimeLeft) {
    EXPECT_EQ(SpeedText(640), "640 B/s");
    EXPECT_EQ(SpeedText(400000), "390.6 KB/s");
    EXPECT_EQ(SpeedText(1.25 * 1024 * 1024), "1.2 MB/s");
    EXPECT_EQ(TimeLeftText(42), "42 s left");
    EXPECT_EQ(TimeLeftText(185), "3 min 5 s left");
    EXPECT_EQ(TimeLeftText(7620), "2 h 7 min left");
}

} // namespace
} // namespace tarnwick::shell
