// The pieces of a stream with the network and the clock played by the test:
// how many are asked for at once and how far ahead, the order they are
// written in, what is kept, and what giving up leaves.
#include "driver/stream_download.h"

#include "transfer/inline_work.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::driver {
namespace {

class StreamDownloadTest : public testing::Test {
protected:
    // `count` pieces; the last is a range of its resource.
    void StartPieces(size_t count, const std::optional<transfer::Kept>& kept = std::nullopt) {
        StreamSource source;
        for (size_t i = 0; i < count; ++i) {
            source.pieces.push_back({"http://cdn.example/s" + std::to_string(i) + ".ts"});
        }
        source.pieces.back().range = StreamPiece::Range{100, 4};
        source.fingerprint = FingerprintOf(source.pieces);
        download = std::make_unique<StreamDownload>(services, std::move(source),
                                                    [this](int) { return Path(); });
        download->Start(kept, {[this](const Download::Progress& p) { progress.push_back(p); },
                               [] {}, [this](Outcome o) { outcome = o; }});
        clock.RunDue();
    }
    std::string Path() const { return folder.File("v.ts.tarnwick.part"); }
    fakes::FakeHttp::Exchange& Exchange(size_t n) { return *http.exchanges.at(n); }
    void Deliver(size_t n, int status, const std::string& body) {
        Exchange(n).Answer(status, "Content-Length: " + std::to_string(body.size()) + "\r\n");
        if (!body.empty() && Exchange(n).IsOpen()) Exchange(n).Body(body);
        if (Exchange(n).IsOpen()) Exchange(n).End();
        clock.RunDue();
    }
    // Piece i of StartPieces is "ii" in its letter, the last "iiii" in part.
    void DeliverPiece(size_t n, size_t count) {
        const std::string& url = Exchange(n).request.url;
        const size_t index = std::stoul(url.substr(url.rfind("/s") + 2));
        const bool last = index + 1 == count;
        Deliver(n, last ? 206 : 200, std::string(last ? 4 : 2, static_cast<char>('a' + index)));
    }

    test_support::TempFolder folder;
    fakes::FakeClock clock;
    fakes::FakeHttp http;
    transfer::InlineWork work{clock};
    transfer::ConnectionBudget budget{clock};
    transfer::RequestContext requests{http, clock, {}, &budget};
    DownloadServices services{requests, work, nullptr, 4, nullptr};
    std::unique_ptr<StreamDownload> download;
    std::vector<Download::Progress> progress;
    std::optional<Outcome> outcome;
};

TEST_F(StreamDownloadTest, AsksForFourAtOnceAndWritesInOrderWhateverOrderTheyCome) {
    StartPieces(6);
    ASSERT_EQ(http.OpenCount(), 4);
    Deliver(2, 200, "cc");
    Deliver(1, 200, "bb");
    EXPECT_EQ(progress.size(), 1u) << "nothing is written before the first piece";
    EXPECT_EQ(http.OpenCount(), 4) << "the window moves on as pieces arrive";
    Deliver(0, 200, "aa");
    EXPECT_EQ(progress.back().received, 6);
    for (size_t n = http.exchanges.size(); n-- > 3;) DeliverPiece(n, 6);
    for (size_t n = 3; n < http.exchanges.size(); ++n) {
        if (Exchange(n).IsOpen()) DeliverPiece(n, 6);
    }
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "aabbccddeeffff");
    EXPECT_EQ(Exchange(5).request.headers, std::vector<std::string>{"Range: bytes=100-103"});
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(StreamDownloadTest, AsksForAsManyAtOnceAsOneDownloadMayOpenConnections) {
    services.connections = 8;
    budget.SetPerDownload(8);
    StartPieces(20);
    EXPECT_EQ(http.OpenCount(), 8);
}

TEST_F(StreamDownloadTest, KeepsTheWholePiecesOnDiskAndGoesOnFromThem) {
    StartPieces(3);
    Deliver(0, 200, "aa");
    // The second piece fails, and each of its fetch's tries again.
    Deliver(2, 206, "cccc");
    Deliver(1, 503, "");
    for (int tries = 0; tries < StreamDownload::kRetries; ++tries) {
        clock.Advance(std::chrono::seconds(4));
        Deliver(http.exchanges.size() - 1, 503, "");
    }
    ASSERT_TRUE(outcome && outcome->IsFailed());
    const std::optional<transfer::Kept> kept = download->Keep();
    ASSERT_TRUE(kept);
    const auto& stream = std::get<transfer::KeptStream>(*kept);
    EXPECT_EQ(stream.bytes, 2);
    EXPECT_EQ(stream.pieces, 1u);

    outcome.reset();
    const size_t before = http.exchanges.size();
    StartPieces(3, kept);
    EXPECT_EQ(Exchange(before).request.url, "http://cdn.example/s1.ts")
        << "the first piece is on disk";
    Deliver(before, 200, "bb");
    Deliver(before + 1, 206, "cccc");
    ASSERT_TRUE(outcome && outcome->IsComplete());
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "aabbcccc");
}

TEST_F(StreamDownloadTest, AsksNoFurtherThanSixteenAheadOrWhile64MiBWait) {
    StartPieces(40);
    // The first piece never comes: the others wait for it.
    for (size_t n = 1; n < http.exchanges.size() && n < 40; ++n) {
        if (Exchange(n).IsOpen()) Deliver(n, 200, "xx");
    }
    EXPECT_EQ(http.exchanges.size(), StreamDownload::kMostAhead);
    EXPECT_EQ(http.OpenCount(), 1);

    download.reset();
    http.exchanges.clear();
    std::filesystem::remove(Path());
    StartPieces(40);
    const std::string eight_mib(8 << 20, 'x');
    for (size_t n = 1; n < http.exchanges.size(); ++n) Deliver(n, 200, eight_mib);
    EXPECT_GE(download->WaitingBytes(), StreamDownload::kMostWaitingBytes);
    // Pieces 1 to 7 leave room for more; the eighth fills 64 MiB; those
    // asked for before it still come.
    EXPECT_EQ(http.exchanges.size(), 11u);
}

TEST_F(StreamDownloadTest, GivingUpEndsEveryRequestAtOnce) {
    StartPieces(8);
    download.reset();
    EXPECT_EQ(http.OpenCount(), 0);
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(StreamDownloadTest, APartOtherThanTheOneAskedForIsNoPiece) {
    StartPieces(1);
    const auto other_part = [this](size_t n) {
        Exchange(n).Answer(206, "Content-Range: bytes 0-3/900\r\nContent-Length: 4\r\n");
        clock.RunDue();
    };
    other_part(0);
    for (int retry = 0; retry < StreamDownload::kRetries; ++retry) {
        clock.Advance(platform::Duration(4000));
        other_part(http.exchanges.size() - 1);
    }
    ASSERT_TRUE(outcome && outcome->IsFailed());
    EXPECT_EQ(test_support::ReadWholeFile(Path()), "") << "nothing of it is written";
}

} // namespace
} // namespace tarnwick::driver
