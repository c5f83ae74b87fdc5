// The page fetch and the file transfer, where they differ from what the run
// tests show: limits, folders and what stays on disk.
#include "transfer/file_transfer.h"
#include "transfer/page_fetch.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

class StepsTest : public testing::Test {
protected:
    void Transfer(const std::string& local_file) {
        transfer.Start(
            "http://host/v.flv", local_file, [](int64_t, std::optional<int64_t>) {},
            [this](Outcome outcome) { this->outcome = std::move(outcome); });
    }

    test_support::TempFolder folder;
    fakes::FakeClock clock;
    fakes::FakeHttp http;
    FileTransfer transfer{http, clock};
    std::optional<Outcome> outcome;
};

TEST_F(StepsTest, APageLargerThanTheLimitIsNotFetched) {
    PageFetch fetch(http, clock);
    std::optional<PageFetch::Result> result;
    fetch.Start(
        "http://host/page", [](int64_t, std::optional<int64_t>) {},
        [&](PageFetch::Result r) { result = std::move(r); });
    http.Last().Answer(200);
    const std::string mebibyte(1024 * 1024, 'p');
    for (int i = 0; i < 64; ++i) http.Last().Body(mebibyte);
    EXPECT_FALSE(result);
    http.Last().Body("p");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome.failure().reason, Reason::kPageNotFetched);
    EXPECT_TRUE(result->page.empty());
    EXPECT_TRUE(http.Last().WasGivenUp());
}

TEST_F(StepsTest, ACompleteTransferTakesTheTargetsPlace) {
    const std::string target = folder.File("v.flv");
    test_support::WriteWholeFile(target, "older file");
    Transfer(target);
    http.Last().Answer(200, "Content-Length: 5\r\n");
    EXPECT_EQ(test_support::ReadWholeFile(target), "older file") << "untouched until complete";
    http.Last().Body("video");
    http.Last().End();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(target), "video");
    EXPECT_FALSE(std::filesystem::exists(DownloadFile::TemporaryPathFor(target)));
}

TEST_F(StepsTest, PiecesOfAnySizeReachTheFileInOrder) {
    const std::string target = folder.File("v.flv");
    std::string body;
    for (int i = 0; body.size() < 700000; ++i) body += std::to_string(i) + ",";
    Transfer(target);
    http.Last().Answer(200, "Content-Length: " + std::to_string(body.size()) + "\r\n");
    // Small pieces gathered, then pieces large enough to go straight through.
    size_t at = 0;
    for (const size_t piece :
         {size_t{100}, size_t{16000}, size_t{200000}, size_t{7}, size_t{300000}}) {
        http.Last().Body(body.substr(at, piece));
        at += piece;
    }
    http.Last().Body(body.substr(at));
    http.Last().End();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(test_support::ReadWholeFile(target) == body);
}

TEST_F(StepsTest, AnErrorAnswerWritesNothing) {
    Transfer(folder.File("v.flv"));
    http.Last().Answer(410);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kVideoNotFound, 410, {}}));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(StepsTest, ABrokenTransferKeepsItsBytesInTheTemporaryFile) {
    const std::string target = folder.File("v.flv");
    Transfer(target);
    http.Last().Answer(200, "Content-Length: 10\r\n");
    http.Last().Body("vide");
    http.Last().End(platform::HttpEnd::Kind::kBroken, "reset by peer");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kConnectionLost, 200, "reset by peer"}));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(test_support::ReadWholeFile(DownloadFile::TemporaryPathFor(target)), "vide");
}

TEST_F(StepsTest, AnAnswerThatEndsShortOfItsLengthIsNoFile) {
    const std::string target = folder.File("v.flv");
    Transfer(target);
    http.Last().Answer(200, "Content-Length: 10\r\n");
    http.Last().Body("vide");
    http.Last().End();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure().reason, Reason::kConnectionLost);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(StepsTest, AFolderThatIsAFileIsUnusable) {
    test_support::WriteWholeFile(folder.File("not a folder"), "");
    Transfer(folder.File("not a folder/v.flv"));
    http.Last().Answer(200, "Content-Length: 5\r\n");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure().reason, Reason::kFolderUnusable);
    EXPECT_TRUE(http.Last().WasGivenUp());
}

} // namespace
} // namespace tarnwick::transfer
