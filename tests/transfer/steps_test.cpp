// The page fetch and the file transfer, where they differ from what the run
// tests show: limits, folders, and what stays on disk.
#include "transfer/download_file.h"
#include "transfer/file_transfer.h"
#include "transfer/page_fetch.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <ostream>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

namespace fs = std::filesystem;

class StepsTest : public testing::Test {
protected:
    // The temporary file's candidates: "v.part", "v-2.part", ...
    std::string Candidate(int attempt) const {
        return folder.File(attempt == 1 ? "v.part" : "v-" + std::to_string(attempt) + ".part");
    }
    void Transfer() {
        transfer.Start(
            "http://host/v.flv", std::nullopt, [this](int attempt) { return Candidate(attempt); },
            [](const FileTransfer::Progress&) {},
            [this](Outcome outcome) { this->outcome = std::move(outcome); });
    }
    void Answer(const std::string& body) {
        http.Last().Answer(200, "Content-Length: " + std::to_string(body.size()) + "\r\n");
    }

    test_support::TempFolder folder;
    // Also tells a complete file's sync, once its timer is run.
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

struct PaceCase {
    const char* name;
    // The bytes that come in the second that ends at `second`, from 1.
    std::function<int(int second)> bytes_in;
    // How the fetch ends, and in which second at the earliest and the latest;
    // none: it is still coming after five minutes.
    std::optional<Reason> reason;
    int earliest = 0;
    int latest = 0;
};

void PrintTo(const PaceCase& c, std::ostream* out) { *out << c.name; }

class PagePaceTest : public StepsTest, public testing::WithParamInterface<PaceCase> {};

TEST_P(PagePaceTest, APageThatTricklesEnds) {
    PageFetch fetch(http, clock);
    std::optional<PageFetch::Result> result;
    fetch.Start(
        "http://host/page", [](int64_t, std::optional<int64_t>) {},
        [&](PageFetch::Result r) { result = std::move(r); });
    http.Last().Answer(200);
    int second = 1;
    for (; second <= 300 && !result; ++second) {
        if (const int bytes = GetParam().bytes_in(second); bytes > 0) {
            http.Last().Body(std::string(bytes, 'p'));
        }
        clock.Advance(std::chrono::seconds(1));
    }
    if (!GetParam().reason) {
        EXPECT_FALSE(result);
        http.Last().End();
        clock.RunDue();
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->outcome.IsComplete());
        return;
    }
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome.failure().reason, *GetParam().reason);
    EXPECT_GE(second - 1, GetParam().earliest);
    EXPECT_LE(second - 1, GetParam().latest);
    EXPECT_TRUE(http.Last().WasGivenUp());
}

INSTANTIATE_TEST_SUITE_P(
    Paces, PagePaceTest,
    testing::Values(PaceCase{"AByteASecond", [](int) { return 1; }, Reason::kPageTooSlow, 60, 60},
                    PaceCase{"JustUnderOneKibibyteASecond", [](int) { return 1000; },
                             Reason::kPageTooSlow, 60, 60},
                    PaceCase{"FastThenAByteASecond",
                             [](int second) { return second <= 30 ? 100000 : 1; },
                             Reason::kPageTooSlow, 90, 100},
                    PaceCase{"BurstsOfOneKibibyteASecondOnAverage",
                             [](int second) { return second % 10 == 0 ? 10240 : 0; }, std::nullopt},
                    PaceCase{"NothingAfterTheAnswerIsAStall", [](int) { return 0; },
                             Reason::kStallTimeout, 60, 60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepsTest, AVideoThatTricklesGoesOn) {
    Transfer();
    Answer(std::string(1000, 'v'));
    for (int second = 0; second < 300; ++second) {
        http.Last().Body("v");
        clock.Advance(std::chrono::seconds(1));
    }
    EXPECT_FALSE(outcome);
}

TEST_F(StepsTest, ACompleteTransferLeavesTheWholeBodyInTheTemporaryFile) {
    std::string body;
    for (int i = 0; body.size() < 700000; ++i) body += std::to_string(i) + ",";
    Transfer();
    Answer(body);
    EXPECT_EQ(transfer.TemporaryPath(), Candidate(1));
    // Small pieces gathered, then pieces large enough to go straight through.
    size_t at = 0;
    for (const size_t piece : {100, 16000, 200000, 7, 300000}) {
        http.Last().Body(body.substr(at, piece));
        at += piece;
    }
    http.Last().Body(body.substr(at));
    http.Last().End();
    clock.RunDue();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_TRUE(test_support::ReadWholeFile(Candidate(1)) == body) << "every byte, in order";
}

TEST_F(StepsTest, AnythingAtTheTemporaryNameIsPassedOverNeverWrittenThrough) {
    const std::string canary = folder.File("canary");
    test_support::WriteWholeFile(canary, "keep me");
    fs::create_symlink(canary, Candidate(1));
    test_support::WriteWholeFile(Candidate(2), "a file left there");
    Transfer();
    Answer("video");
    EXPECT_EQ(transfer.TemporaryPath(), Candidate(3));
    http.Last().Body("video");
    http.Last().End();
    clock.RunDue();
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(canary), "keep me");
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(2)), "a file left there");
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(3)), "video");
}

struct EndCase {
    const char* name;
    std::function<void(fakes::FakeHttp::Exchange&)> end;
    Failure failure;
    bool bytes_kept;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

class TransferEndTest : public StepsTest, public testing::WithParamInterface<EndCase> {};

TEST_P(TransferEndTest, KeepsItsBytesOnlyWhenCutOffPartwayThroughAVideo) {
    Transfer();
    GetParam().end(http.Last());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), GetParam().failure);
    EXPECT_EQ(fs::exists(Candidate(1)), GetParam().bytes_kept);
    if (GetParam().bytes_kept) {
        EXPECT_EQ(test_support::ReadWholeFile(Candidate(1)), "vide");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, TransferEndTest,
    testing::Values(EndCase{"ErrorAnswer",
                            [](auto& e) { e.Answer(410, "Content-Length: 4\r\n"); },
                            {Reason::kVideoNotFound, 410, {}},
                            false},
                    EndCase{"WebPageInsteadOfAVideo",
                            [](auto& e) {
                                e.Answer(200, "Content-Type: text/html; charset=utf-8\r\n");
                            },
                            {Reason::kHtmlInsteadOfVideo, 200, {}},
                            false},
                    EndCase{"ConnectionBrokenPartway",
                            [](auto& e) {
                                e.Answer(200, "Content-Length: 10\r\n");
                                e.Body("vide");
                                e.End(platform::HttpEnd::Kind::kBroken, "reset by peer");
                            },
                            {Reason::kConnectionLost, 200, "reset by peer"},
                            true},
                    EndCase{"AnswerEndsShortOfItsLength",
                            [](auto& e) {
                                e.Answer(200, "Content-Length: 10\r\n");
                                e.Body("vide");
                                e.End();
                            },
                            {Reason::kConnectionLost, 200, "The answer ended early"},
                            true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepsTest, APartialAnswerToAPlainRequestCountsOnlyWhenItIsTheWholeVideo) {
    Transfer();
    http.Last().Answer(206, "Content-Range: bytes 0-3/100\r\nContent-Length: 4\r\n");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kErrorAnswer, 206, {}}));
    EXPECT_FALSE(fs::exists(Candidate(1)));

    FileTransfer whole(http, clock);
    outcome.reset();
    whole.Start(
        "http://host/v.flv", std::nullopt, [this](int attempt) { return Candidate(attempt); },
        [](const FileTransfer::Progress&) {},
        [this](Outcome outcome) { this->outcome = std::move(outcome); });
    http.Last().Answer(206, "Content-Range: bytes 0-4/5\r\nContent-Length: 5\r\n");
    http.Last().Body("video");
    http.Last().End();
    clock.RunDue();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(1)), "video");
}

TEST_F(StepsTest, OnlyAPageMayComeCompressed) {
    PageFetch fetch(http, clock);
    fetch.Start(
        "http://host/page", [](int64_t, std::optional<int64_t>) {}, [](PageFetch::Result) {});
    EXPECT_TRUE(http.Last().request.accept_compression);
    Transfer();
    EXPECT_FALSE(http.Last().request.accept_compression);
}

TEST_F(StepsTest, ACodedAnswerTellsNoLengthOfWhatItIsReadAs) {
    PageFetch fetch(http, clock);
    std::optional<int64_t> page_size = 0;
    std::optional<PageFetch::Result> page;
    fetch.Start(
        "http://host/page", [&](int64_t, std::optional<int64_t> size) { page_size = size; },
        [&](PageFetch::Result r) { page = std::move(r); });
    http.Last().Answer(200, "Content-Encoding: gzip\r\nContent-Length: 5\r\n");
    http.Last().Body("<p>a page larger than its coded length</p>");
    http.Last().End();
    clock.RunDue();
    EXPECT_EQ(page_size, std::nullopt);
    ASSERT_TRUE(page && page->outcome.IsComplete());

    std::optional<FileTransfer::Progress> progress;
    transfer.Start(
        "http://host/v.flv", std::nullopt, [this](int attempt) { return Candidate(attempt); },
        [&](const FileTransfer::Progress& p) { progress = p; },
        [this](Outcome outcome) { this->outcome = std::move(outcome); });
    http.Last().Answer(200, "Content-Encoding: gzip\r\nContent-Length: 5\r\nETag: \"v1\"\r\n");
    http.Last().Body("the decoded video");
    http.Last().End();
    clock.RunDue();
    ASSERT_TRUE(outcome && outcome->IsComplete()) << "the coded length is not the video's";
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->size, std::nullopt);
    EXPECT_TRUE(progress->decoded);
    EXPECT_EQ(transfer.Validator(), "") << "coded bytes are never asked for by range";
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(1)), "the decoded video");
}

TEST_F(StepsTest, AStoppedTransferKeepsItsBytes) {
    auto stopped = std::make_unique<FileTransfer>(http, clock);
    stopped->Start(
        "http://host/v.flv", std::nullopt, [this](int attempt) { return Candidate(attempt); },
        [](const FileTransfer::Progress&) {}, [](Outcome) { ADD_FAILURE() << "no end"; });
    Answer("video");
    http.Last().Body("vid");
    stopped.reset();
    EXPECT_TRUE(http.Last().WasGivenUp());
    EXPECT_EQ(test_support::ReadWholeFile(Candidate(1)), "vid");
}

TEST_F(StepsTest, AFolderThatIsAFileIsUnusable) {
    test_support::WriteWholeFile(folder.File("not a folder"), "");
    transfer.Start(
        "http://host/v.flv", std::nullopt,
        [this](int) { return folder.File("not a folder/v.part"); },
        [](const FileTransfer::Progress&) {},
        [this](Outcome outcome) { this->outcome = std::move(outcome); });
    Answer("video");
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure().reason, Reason::kFolderUnusable);
    EXPECT_TRUE(http.Last().WasGivenUp());
}

} // namespace
} // namespace tarnwick::transfer
