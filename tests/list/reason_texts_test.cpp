#include "list/reason_texts.h"

#include <gtest/gtest.h>
#include <ostream>

namespace tarnwick::list {
namespace {

struct ReasonCase {
    const char* name;
    Failure failure;
    int64_t received;
    int64_t total; // 0: size unknown
    std::string text;
};

void PrintTo(const ReasonCase& c, std::ostream* out) { *out << c.name; }

class ReasonTextTest : public testing::TestWithParam<ReasonCase> {};

TEST_P(ReasonTextTest, SaysWhatHappenedInPlainWords) {
    const ReasonCase& c = GetParam();
    DownloadItem item;
    item.state = ItemState::kFailed;
    item.rare->failure = c.failure;
    item.received = c.received;
    if (c.total > 0) {
        item.size_kind = SizeKind::kKnown;
        item.total_size = c.total;
    }
    EXPECT_EQ(ReasonText(item), c.text);
}

constexpr int64_t kMiB = 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Reasons, ReasonTextTest,
    testing::Values(
        ReasonCase{"Unsupported", {Reason::kUnsupportedSite}, 0, 0, "This site is not supported"},
        ReasonCase{"PageMissing",
                   {Reason::kPageNotFetched, 404, {}},
                   0,
                   0,
                   "The page could not be fetched (404 Not Found)"},
        ReasonCase{"PageUnreachable",
                   {Reason::kPageNotFetched, 0, "Couldn't connect to server"},
                   0,
                   0,
                   "The page could not be fetched (Couldn't connect to server)"},
        ReasonCase{"NoLink", {Reason::kNoLinkInPage}, 0, 0, "No video was found in the page"},
        ReasonCase{"VideoMissing",
                   {Reason::kVideoNotFound, 410, {}},
                   0,
                   0,
                   "The video file was not found (410)"},
        ReasonCase{"UncommonStatus",
                   {Reason::kErrorAnswer, 599, {}},
                   0,
                   0,
                   "The server refused the video (599)"},
        ReasonCase{"PartNobodyAskedFor",
                   {Reason::kErrorAnswer, 206, {}},
                   0,
                   0,
                   "The server refused the video (206 Partial Content)"},
        ReasonCase{"WebPage",
                   {Reason::kHtmlInsteadOfVideo, 200, {}},
                   0,
                   0,
                   "The server sent a web page instead of a video"},
        ReasonCase{"LostPartway",
                   {Reason::kConnectionLost, 200, "The answer ended early"},
                   2 * kMiB - 100 * 1024,
                   5 * kMiB - 200 * 1024,
                   "The connection was lost at 39% (1.9 of 4.8 MB)"},
        ReasonCase{"LostWithoutASize",
                   {Reason::kConnectionLost, 200, {}},
                   1536 * 1024,
                   0,
                   "The connection was lost after 1.5 MB"},
        ReasonCase{"NeverReached",
                   {Reason::kConnectionLost, 0, "Connection refused"},
                   0,
                   0,
                   "The video's server could not be reached (Connection refused)"},
        ReasonCase{"StalledNearTheEnd",
                   {Reason::kStallTimeout},
                   999,
                   1000,
                   "The server stopped sending at 99% (999 of 1000 bytes)"},
        ReasonCase{
            "DiskFull", {Reason::kDiskFull, 0, "No space left"}, 2 * kMiB, 0, "The disk is full"},
        ReasonCase{
            "Folder", {Reason::kFolderUnusable}, 0, 0, "The download folder cannot be written"},
        ReasonCase{"Streamed",
                   {Reason::kStreamedVideo},
                   0,
                   0,
                   "This page streams its video in pieces (DASH), which Tarnwick does not "
                   "download"},
        ReasonCase{"TooSlow", {Reason::kPageTooSlow}, 0, 0, "The page came too slowly"},
        ReasonCase{"Private",
                   {Reason::kPrivateAddress, 0, "127.0.0.1"},
                   0,
                   0,
                   "An address on the internet led to a local or private one, which Tarnwick "
                   "does not follow (127.0.0.1)"}),
    [](const testing::TestParamInfo<ReasonCase>& info) { return info.param.name; });

TEST(ReasonText, AFileThatKeptItsTemporaryNameSaysWhere) {
    DownloadItem item;
    item.state = ItemState::kFailed;
    item.rare->failure = Failure{Reason::kNameNotClaimed, 0, "Operation not permitted"};
    item.rare->kept = transfer::KeptWhole{"/media/stick/clip.mp4.7.tarnwick.part", 7};
    EXPECT_EQ(ReasonText(item),
              "The finished file could not take its name (Operation not "
              "permitted); it is kept as clip.mp4.7.tarnwick.part");
}

TEST(ReasonText, OnlyAFailedItemHasOne) {
    DownloadItem item;
    item.rare->failure = Failure{Reason::kDiskFull};
    item.state = ItemState::kWaiting; // taken again by a later run
    EXPECT_EQ(ReasonText(item), "");
}

} // namespace
} // namespace tarnwick::list
