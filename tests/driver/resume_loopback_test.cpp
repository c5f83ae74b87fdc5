// Transfers that go on from where an earlier one stopped, through the real
// HTTP client, against a server that serves files as plain servers do.
#include "driver/loopback_harness.h"
#include "support/kept_files.h"

#include <gmock/gmock.h>
#include <optional>
#include <ostream>
#include <string>

namespace tarnwick::driver {
namespace {

using test_support::ServedFile;

constexpr uint64_t kSize = 300000;
constexpr uint64_t kBrokenOffAt = 100000;

struct ResumeCase {
    const char* name;
    ServedFile first;
    ServedFile second;
    // The If-Range the second transfer sends; none for no header.
    std::optional<std::string> if_range;
};

void PrintTo(const ResumeCase& c, std::ostream* out) { *out << c.name; }

class ResumeLoopbackTest : public LoopbackRunTest, public testing::WithParamInterface<ResumeCase> {
protected:
    // The video's GET requests, in order.
    std::vector<test_support::Request> VideoGets() const {
        std::vector<test_support::Request> gets;
        for (const test_support::Request& request : server.Requests()) {
            if (request.method == "GET" && request.target == "/v/clip.flv") {
                gets.push_back(request);
            }
        }
        return gets;
    }
    // As the retry command puts a failed item back.
    void PutBack(list::ItemKey key) {
        queue.Modify(key, [](list::DownloadItem& item) {
            item.state = list::ItemState::kWaiting;
            item.rare->failure.reset();
        });
    }
};

TEST_P(ResumeLoopbackTest, TheSecondTransferAsksForTheRestAndEndsByteExact) {
    ServedFile first = GetParam().first;
    first.break_first_after = kBrokenOffAt;
    const list::ItemKey key = AddServedVideo("clip.flv", first);
    RunToTheEnd();
    ASSERT_EQ(Status(key), "ERROR");
    ASSERT_EQ(test_support::KeptBytes(Item(key)), static_cast<int64_t>(kBrokenOffAt));

    server.ServeFile("/v/clip.flv", GetParam().second);
    PutBack(key);
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("clip.flv")) ==
                test_support::FileBytes(GetParam().second))
        << "the file is not the second version, byte for byte";
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{"clip.flv"});
    const std::vector<test_support::Request> gets = VideoGets();
    ASSERT_GE(gets.size(), 2u);
    EXPECT_EQ(gets[1].Header("Range"), "bytes=100000-");
    EXPECT_EQ(gets[1].Header("If-Range"), GetParam().if_range);
}

ServedFile Version(uint64_t size, uint64_t offset, std::string etag, bool ranges = true) {
    ServedFile file;
    file.size = size;
    file.offset = offset;
    file.etag = std::move(etag);
    file.ranges = ranges;
    return file;
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ResumeLoopbackTest,
    testing::Values(ResumeCase{"PartialAnswerThatFits", Version(kSize, 0, "\"v1\""),
                               Version(kSize, 0, "\"v1\""), "\"v1\""},
                    ResumeCase{"ServerWithoutRangesRestarts", Version(kSize, 0, "\"v1\""),
                               Version(kSize, 0, "\"v1\"", false), "\"v1\""},
                    ResumeCase{"RangeNotSatisfiableRestarts", Version(kSize, 0, "\"v1\""),
                               Version(50000, 0, "\"v1\""), "\"v1\""},
                    ResumeCase{"ChangedETagGetsTheNewVersion", Version(kSize, 0, "\"v1\""),
                               Version(kSize, 7, "\"v2\""), "\"v1\""},
                    ResumeCase{"NoValidatorAndTheSameSize", Version(kSize, 0, ""),
                               Version(kSize, 0, ""), std::nullopt},
                    ResumeCase{"NoValidatorAndAnotherSizeRestarts", Version(kSize, 0, ""),
                               Version(kSize + 10000, 3, ""), std::nullopt}),
    [](const testing::TestParamInfo<ResumeCase>& info) { return info.param.name; });

TEST_F(ResumeLoopbackTest, AnErrorAnswerLeavesTheKeptBytesForTheNextTry) {
    ServedFile video = Version(kSize, 0, "\"v1\"");
    video.break_first_after = kBrokenOffAt;
    const list::ItemKey key = AddServedVideo("clip.flv", video);
    RunToTheEnd();
    const std::string kept = test_support::KeptPath(Item(key));

    server.Serve("/v/clip.flv", test_support::Answer::Http(503, "Service Unavailable"));
    PutBack(key);
    RunToTheEnd();
    ASSERT_EQ(Status(key), "ERROR");
    EXPECT_EQ(test_support::KeptPath(Item(key)), kept);
    EXPECT_EQ(test_support::KeptBytes(Item(key)), static_cast<int64_t>(kBrokenOffAt));
    EXPECT_EQ(std::filesystem::file_size(kept), kBrokenOffAt);
    EXPECT_EQ(Item(key).size_kind, list::SizeKind::kKnown) << "the kept bytes' video";
    EXPECT_EQ(Item(key).total_size, static_cast<int64_t>(kSize));

    server.ServeFile("/v/clip.flv", Version(kSize, 0, "\"v1\""));
    PutBack(key);
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(VideoGets().back().Header("Range"), "bytes=100000-");
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{"clip.flv"});
}

TEST_F(ResumeLoopbackTest, BytesKeptInAnEarlierFolderStartAfreshInTheNewOne) {
    ServedFile first = Version(kSize, 0, "\"v1\"");
    first.break_first_after = kBrokenOffAt;
    const list::ItemKey key = AddServedVideo("clip.flv", first);
    RunToTheEnd();
    ASSERT_EQ(test_support::KeptBytes(Item(key)), static_cast<int64_t>(kBrokenOffAt));
    const std::string earlier = Videos();

    server.ServeFile("/v/clip.flv", Version(kSize, 0, "\"v1\""));
    videos_name = "chosen later";
    PutBack(key);
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("clip.flv")) ==
                test_support::FileBytes(Version(kSize, 0, "")));
    EXPECT_TRUE(std::filesystem::is_empty(earlier)) << "the earlier folder kept its bytes";
    const std::vector<test_support::Request> gets = VideoGets();
    ASSERT_EQ(gets.size(), 2u);
    EXPECT_FALSE(gets[1].Header("Range"));
}

TEST_F(ResumeLoopbackTest, AStopHalfwayThenAStartEndsByteExact) {
    ServedFile video = Version(1000000, 11, "\"half\"");
    video.hold_first_after = 500000;
    const list::ItemKey key = AddServedVideo("clip.flv", video);
    run.Start();
    ASSERT_TRUE(RunUntil([&] { return Item(key).received >= 500000; }));
    run.Stop();
    server.Release();
    EXPECT_THAT(Status(key), testing::StartsWith("Cancelled"));
    EXPECT_EQ(test_support::KeptBytes(Item(key)), 500000);

    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("clip.flv")) == test_support::FileBytes(video));
    const std::vector<test_support::Request> gets = VideoGets();
    ASSERT_EQ(gets.size(), 2u);
    EXPECT_EQ(gets[1].Header("Range"), "bytes=500000-");
    EXPECT_EQ(gets[1].Header("If-Range"), "\"half\"");
}

} // namespace
} // namespace tarnwick::driver
