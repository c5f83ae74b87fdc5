#include "list/item_texts.h"

#include <gtest/gtest.h>
#include <ostream>

#include <functional>
#include <limits>

namespace tarnwick::list {
namespace {

struct TextCase {
    const char* name;
    std::function<void(DownloadItem&)> set;
    std::string status;
    std::string file_name;
    std::string size;
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << c.name; }

class ItemTextsTest : public testing::TestWithParam<TextCase> {};

TEST_P(ItemTextsTest, DeriveEachShownText) {
    DownloadItem item;
    item.site = 2;
    GetParam().set(item);
    EXPECT_EQ(StatusText(item), GetParam().status);
    EXPECT_EQ(FileNameText(item), GetParam().file_name);
    EXPECT_EQ(SizeText(item), GetParam().size);
}

void Downloading(DownloadItem& i, int64_t received, SizeKind kind, int64_t total = 0) {
    i.state = ItemState::kDownloading;
    i.received = received;
    i.size_kind = kind;
    i.total_size = total;
    i.name_kind = NameKind::kNamed;
    i.name = "clip.flv";
}

INSTANTIATE_TEST_SUITE_P(
    States, ItemTextsTest,
    testing::Values(
        TextCase{"Waiting", [](DownloadItem&) {}, "Waiting", "Waiting (Auto Detect)", "????"},
        TextCase{"NotSupported",
                 [](DownloadItem& i) {
                     i.site = -1;
                     i.name_kind = NameKind::kNotSupported;
                 },
                 "Link is not supported", "ERROR", "????"},
        TextCase{"PreparingStarts", [](DownloadItem& i) { i.state = ItemState::kPreparing; },
                 "Preperaing (0%)", "Waiting (Auto Detect)", "????"},
        TextCase{"PreparingAgainstThePagesLength",
                 [](DownloadItem& i) {
                     i.state = ItemState::kPreparing;
                     i.rare->page_received = 37;
                     i.rare->page_size = 100;
                 },
                 "Preperaing (37%)", "Waiting (Auto Detect)", "????"},
        TextCase{"PreparingAWholePage",
                 [](DownloadItem& i) {
                     i.state = ItemState::kPreparing;
                     i.rare->page_received = 100;
                     i.rare->page_size = 100;
                 },
                 "Preperaing (100%)", "Waiting (Auto Detect)", "????"},
        TextCase{"PreparingWithoutAPageLength",
                 [](DownloadItem& i) {
                     i.state = ItemState::kPreparing;
                     i.rare->page_received = 50;
                 },
                 "Preperaing...", "Waiting (Auto Detect)", "????"},
        TextCase{"Starting", [](DownloadItem& i) { i.state = ItemState::kStarting; },
                 "Start Downloading...", "Waiting (Auto Detect)", "????"},
        TextCase{"PercentRoundsHalfToEven",
                 [](DownloadItem& i) { Downloading(i, 2048, SizeKind::kKnown, 5000); }, "41",
                 "clip.flv", "4.9 KB"},
        TextCase{"BytesSoFarWithoutALength",
                 [](DownloadItem& i) { Downloading(i, 2048, SizeKind::kExistsWithoutSize); },
                 "2 KBso far..", "clip.flv", "0"},
        TextCase{"BytesSoFarWhenTheFileWasNotFound",
                 [](DownloadItem& i) { Downloading(i, 500, SizeKind::kNotFound); },
                 "500 Bytesso far..", "clip.flv", "-1 Bytes"},
        TextCase{"Complete",
                 [](DownloadItem& i) {
                     Downloading(i, 1536, SizeKind::kKnown, 1536);
                     i.state = ItemState::kComplete;
                 },
                 "Complete", "clip.flv", "1.5 KB"},
        TextCase{"UnsupportedLink",
                 [](DownloadItem& i) {
                     i.state = ItemState::kFailed;
                     i.name_kind = NameKind::kUnsupportedLink;
                 },
                 "ERROR", "Un supported link", "????"},
        TextCase{"ProcessFailed",
                 [](DownloadItem& i) {
                     i.state = ItemState::kFailed;
                     i.name_kind = NameKind::kProcessFailed;
                 },
                 "ERROR", "Process failed.", "????"},
        TextCase{"Cancelled", [](DownloadItem& i) { i.state = ItemState::kCancelled; }, "Cancelled",
                 "Waiting (Auto Detect)", "????"},
        TextCase{"CancelledPartWay",
                 [](DownloadItem& i) {
                     Downloading(i, 2048, SizeKind::kKnown, 5000);
                     i.state = ItemState::kCancelled;
                 },
                 "Cancelled (41%)", "clip.flv", "4.9 KB"},
        TextCase{"AskingYtDlp",
                 [](DownloadItem& i) {
                     i.state = ItemState::kPreparing;
                     i.rare->activity = Activity::kAskingYtDlp;
                     i.rare->activity_seconds = 12;
                 },
                 "Asking yt-dlp… 12 s", "Waiting (Auto Detect)", "????"},
        TextCase{"JoiningAfterTheBytesCame",
                 [](DownloadItem& i) {
                     Downloading(i, 5000, SizeKind::kKnown, 5000);
                     i.rare->activity = Activity::kJoining;
                     i.rare->activity_seconds = 65;
                 },
                 "Joining picture and sound… 1 min 5 s", "clip.flv", "4.9 KB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressPercent, IsGivenOnlyWhileDownloadingWithAKnownSize) {
    DownloadItem item;
    Downloading(item, 3, SizeKind::kKnown, 8);
    EXPECT_EQ(ProgressPercent(item), 38) << "37.5 goes to the even neighbour";
    item.received = 16;
    EXPECT_EQ(ProgressPercent(item), 200) << "past a stale size";
    item.total_size = 0;
    EXPECT_EQ(ProgressPercent(item), std::nullopt);
    Downloading(item, 3221225472, SizeKind::kKnown, 3221225472);
    EXPECT_EQ(ProgressPercent(item), 100);
    item.state = ItemState::kComplete;
    EXPECT_EQ(ProgressPercent(item), std::nullopt);
    EXPECT_EQ(PercentOf(std::numeric_limits<int64_t>::max(), 1),
              std::numeric_limits<int64_t>::max());
}

TEST(ProgressPercent, OfAStreamIsItsPlayingTimeAndItsSizeTheBytesSoFar) {
    DownloadItem item;
    Downloading(item, 3 << 20, SizeKind::kStreamed, 0);
    EXPECT_EQ(ProgressPercent(item), std::nullopt) << "before its playing time is known";
    item.rare->stream_done_ms = 30000;
    item.rare->stream_total_ms = 120000;
    EXPECT_EQ(ProgressPercent(item), 25);
    EXPECT_EQ(SizeText(item), "3 MBso far..");
}

} // namespace
} // namespace tarnwick::list
