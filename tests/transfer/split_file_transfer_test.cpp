// A video transfer that fetches its file in parts: when it splits, what it
// asks for when it goes on with kept parts, and how it gives splitting up.
#include "transfer/file_transfer.h"

#include "transfer/file_system.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "split_serving.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {
namespace {

using fakes::FakeHttp;
using test_support::AnswerRange;
using test_support::HoldsTheVideo;
using test_support::RangeFrom;
using test_support::SendVideo;

constexpr int64_t kPart = PartLayout::kLeastPart;

void AnswerWhole(FakeHttp::Exchange& exchange, int64_t total,
                 const std::string& more = "ETag: \"v1\"\r\n") {
    exchange.Answer(200, "Content-Length: " + std::to_string(total) + "\r\n" + more);
}

class SplitFileTransferTest : public testing::Test {
protected:
    std::string Path() const { return folder.File("v.part"); }
    void Start(const std::optional<KeptFile>& earlier, int connections) {
        transfer->SetSplit(
            {connections, &budget, [this] { told.push_back(transfer->PartsText()); }});
        transfer->Start(
            "http://host/v.mp4", earlier, [this](int) { return Path(); },
            [this](const FileTransfer::Progress& p) { progress.push_back(p); },
            [this](Outcome end) { outcome = std::move(end); });
    }
    FakeHttp::Exchange& Exchange(size_t index) { return *http.exchanges.at(index); }
    int64_t FileSize() const { return static_cast<int64_t>(std::filesystem::file_size(Path())); }

    test_support::TempFolder folder;
    fakes::FakeClock clock;
    FakeHttp http;
    ConnectionBudget budget;
    std::unique_ptr<FileTransfer> transfer = std::make_unique<FileTransfer>(http, clock);
    std::vector<std::string> told;
    std::vector<FileTransfer::Progress> progress;
    std::optional<Outcome> outcome;
};

TEST_F(SplitFileTransferTest, AWholeAnswerOfAKnownSizeGoesOnInPartsWrittenInPlace) {
    // Four parts of a byte over the least; the last has the remainder too.
    const int64_t total = 4 * kPart + 5;
    const int64_t each = kPart + 1;
    Start(std::nullopt, 4);
    EXPECT_TRUE(Exchange(0).request.headers.empty());
    AnswerWhole(Exchange(0), total);
    ASSERT_EQ(http.exchanges.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(Exchange(i).request.headers,
                  (std::vector<std::string>{"Range: bytes=" + std::to_string(i * each) + "-",
                                            "If-Range: \"v1\""}));
    }
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), "0-4194305=0 4194305-8388610=0 8388610-12582915=0 12582915-16777221=0");
    EXPECT_EQ(budget.InAll(), 4);

    // The whole answer's connection brings the first part.
    SendVideo(Exchange(0), 0, each + 100);
    EXPECT_FALSE(Exchange(0).IsOpen());
    for (size_t i = 1; i < 4; ++i) AnswerRange(Exchange(i), total);
    SendVideo(Exchange(3), 3 * each, total);
    SendVideo(Exchange(2), 2 * each, 3 * each);
    EXPECT_EQ(transfer->OnDisk(), each) << "from the start without a gap";
    SendVideo(Exchange(1), each, 2 * each);
    clock.RunDue();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(FileSize(), total);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
    EXPECT_EQ(progress.back().received, total);
    EXPECT_EQ(progress.back().on_disk, total);
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(SplitFileTransferTest, OnlyAFileThatCanBeAskedForInPartsIsSplit) {
    struct Case {
        const char* name;
        int64_t total;
        std::string fields;
        int connections;
    };
    const std::vector<Case> cases = {
        {"too small", 2 * kPart - 1, "ETag: \"v1\"\r\n", 4},
        {"no validator", 4 * kPart, "", 4},
        {"weak validator only", 4 * kPart, "ETag: W/\"v1\"\r\n", 4},
        {"content-coded", 4 * kPart, "ETag: \"v1\"\r\nContent-Encoding: gzip\r\n", 4},
        {"one connection", 4 * kPart, "ETag: \"v1\"\r\n", 1},
    };
    for (const Case& c : cases) {
        FakeHttp one_http;
        FileTransfer one(one_http, clock);
        one.SetSplit({c.connections, &budget});
        one.Start(
            "http://host/v.mp4", std::nullopt, [this](int) { return Path(); },
            [](const FileTransfer::Progress&) {}, [](Outcome) {});
        AnswerWhole(*one_http.exchanges.at(0), c.total, c.fields);
        EXPECT_EQ(one_http.exchanges.size(), 1u) << c.name;
        EXPECT_EQ(one.PartsText(), "") << c.name;
        one.Abandon();
        std::filesystem::remove(Path());
    }
}

TEST_F(SplitFileTransferTest, AWholeAnswerToTheLastPartAsksForTheWholeAfreshOverOneConnection) {
    const int64_t total = 2 * kPart;
    Start(std::nullopt, 2);
    AnswerWhole(Exchange(0), total);
    SendVideo(Exchange(0), 0, kPart);
    ASSERT_EQ(http.exchanges.size(), 2u);
    // The server ignores the range.
    AnswerWhole(Exchange(1), total);
    ASSERT_EQ(http.exchanges.size(), 3u);
    EXPECT_TRUE(Exchange(2).request.headers.empty());
    EXPECT_EQ(told.back(), "") << "the parts are forgotten before the whole is asked for";
    EXPECT_EQ(transfer->OnDisk(), 0);
    EXPECT_EQ(budget.InAll(), 1) << "the whole's own request holds its room";

    AnswerWhole(Exchange(2), total);
    EXPECT_EQ(http.exchanges.size(), 3u) << "no second split";
    SendVideo(Exchange(2), 0, total);
    Exchange(2).End();
    clock.RunDue();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(FileSize(), total);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, total));
}

TEST_F(SplitFileTransferTest, AnErrorToTheLastPartFailsWithItsStatusAndKeepsTheParts) {
    Start(std::nullopt, 2);
    AnswerWhole(Exchange(0), 2 * kPart);
    SendVideo(Exchange(0), 0, kPart);
    Exchange(1).Answer(503);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failure(), (Failure{Reason::kErrorAnswer, 503}));
    EXPECT_EQ(http.exchanges.size(), 2u);
    EXPECT_TRUE(transfer->HoldsParts());
    EXPECT_EQ(transfer->OnDisk(), kPart);
    EXPECT_EQ(transfer->PartsText(), "0-4194304=4194304 4194304-8388608=0");
}

class KeptPartsTest : public SplitFileTransferTest {
protected:
    static constexpr int64_t kTotal = 3 * kPart;
    // As an earlier split transfer left it: room for the whole file, the
    // first part and a little of the second written.
    KeptPartsTest() {
        std::string bytes(kTotal, '\0');
        const std::string first = test_support::VideoBytes(0, kPart + 1000);
        bytes.replace(0, first.size(), first);
        test_support::WriteWholeFile(Path(), bytes);
    }
    KeptFile Kept() const {
        return {Path(), kPart + 1000, kTotal, "\"v1\"",
                "0-4194304=4194304 4194304-8388608=1000 8388608-12582912=0"};
    }
};

TEST_F(KeptPartsTest, AskOnlyForWhatIsMissing) {
    Start(Kept(), 4);
    ASSERT_EQ(http.exchanges.size(), 2u);
    EXPECT_EQ(Exchange(0).request.headers,
              (std::vector<std::string>{"Range: bytes=4195304-", "If-Range: \"v1\""}));
    EXPECT_EQ(RangeFrom(Exchange(1)), 2 * kPart);
    AnswerRange(Exchange(0), kTotal);
    AnswerRange(Exchange(1), kTotal);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().received, kPart + 1000) << "progress starts with the kept bytes";
    SendVideo(Exchange(1), 2 * kPart, kTotal);
    SendVideo(Exchange(0), kPart + 1000, 2 * kPart);
    clock.RunDue();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(FileSize(), kTotal);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, kTotal));
}

TEST_F(KeptPartsTest, AreFetchedOverOneConnectionWhenOnlyOneIsAllowed) {
    Start(Kept(), 1);
    ASSERT_EQ(http.exchanges.size(), 1u);
    EXPECT_EQ(RangeFrom(Exchange(0)), kPart + 1000);
    AnswerRange(Exchange(0), kTotal);
    SendVideo(Exchange(0), kPart + 1000, kTotal);
    clock.RunDue();
    EXPECT_EQ(http.exchanges.size(), 1u) << "it goes on into the untouched part";
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, kTotal));
}

TEST_F(KeptPartsTest, ThatAreAllDoneCompleteWithoutARequest) {
    test_support::WriteWholeFile(Path(), test_support::VideoBytes(0, kTotal));
    KeptFile kept = Kept();
    kept.parts = "0-8388608=8388608 8388608-12582912=4194304";
    Start(kept, 4);
    clock.RunDue();
    EXPECT_TRUE(http.exchanges.empty());
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsComplete());
}

TEST_F(KeptPartsTest, ThatTheFileCannotHoldAreNotTrusted) {
    test_support::WriteWholeFile(Path(), test_support::VideoBytes(0, 1000));
    Start(Kept(), 4);
    ASSERT_EQ(http.exchanges.size(), 1u);
    EXPECT_TRUE(Exchange(0).request.headers.empty()) << "the file starts afresh";
}

TEST_F(SplitFileTransferTest, AbandoningEndsEveryPartAndCountsTheBytesWrittenFromTheStart) {
    Start(std::nullopt, 3);
    AnswerWhole(Exchange(0), 3 * kPart);
    AnswerRange(Exchange(1), 3 * kPart);
    SendVideo(Exchange(0), 0, 1000);
    SendVideo(Exchange(1), kPart, kPart + 5000);
    EXPECT_EQ(transfer->Abandon(), 1000);
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(transfer->PartsText(), "0-4194304=1000 4194304-8388608=5000 8388608-12582912=0");
    EXPECT_TRUE(HoldsTheVideo(Path(), kPart, kPart + 5000));
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_FALSE(outcome);
}

TEST_F(SplitFileTransferTest, DestroyingItEndsEveryPart) {
    Start(std::nullopt, 3);
    AnswerWhole(Exchange(0), 3 * kPart);
    SendVideo(Exchange(0), 0, 1000);
    transfer.reset();
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(budget.InAll(), 0);
    EXPECT_TRUE(HoldsTheVideo(Path(), 0, 1000));
}

// Files may grow no larger than `limit` while it lives; growing past it fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = before_;
        lower.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        ::signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before_{};
    void (*old_handler_)(int) = nullptr;
};

// Whether reserving room past the limit fails here, as it does on a full disk.
bool ReservingCanFail(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    Status reserved;
    {
        const FileSizeLimit limit(kPart);
        reserved = files::Reserve(descriptor, 3 * kPart);
    }
    ::close(descriptor);
    std::filesystem::remove(path);
    return !reserved;
}

TEST_F(SplitFileTransferTest, RoomThatCannotBeReservedFailsBeforeAnyPartIsAskedFor) {
    if (!ReservingCanFail(folder.File("probe"))) GTEST_SKIP() << "the file system reserves nothing";
    Start(std::nullopt, 3);
    {
        const FileSizeLimit limit(kPart);
        AnswerWhole(Exchange(0), 3 * kPart);
    }
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->IsFailed());
    EXPECT_EQ(outcome->failure().reason, Reason::kWriteFailed);
    EXPECT_EQ(http.exchanges.size(), 1u);
    EXPECT_TRUE(Exchange(0).WasGivenUp());
    EXPECT_FALSE(std::filesystem::exists(Path())) << "nothing of it is kept";
}

} // namespace
} // namespace tarnwick::transfer
