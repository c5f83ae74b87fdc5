// The pieces of a streamed video with the network and the clock played by
// the test: how many are asked for at once, the order they are written in,
// retries, and what giving up leaves.
#include "driver/piece_download.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::driver {
namespace {

class PieceDownloadTest : public testing::Test {
protected:
    void StartPieces(size_t count) {
        std::vector<StreamPiece> pieces;
        for (size_t i = 0; i < count; ++i) {
            pieces.push_back({"http://cdn.example/s" + std::to_string(i) + ".ts"});
        }
        pieces.back().range = transfer::PieceRequest::Range{100, 4};
        download = std::make_unique<PieceDownload>(requests, nullptr, std::move(pieces));
        ASSERT_TRUE(file.Create(folder.File("v.ts.tarnwick.part")));
        download->Start(
            file, 0, [this](const PieceDownload::Progress& p) { written.push_back(p.written); },
            [this](Outcome o) { outcome = o; });
    }
    fakes::FakeHttp::Exchange& Exchange(size_t n) { return *http.exchanges.at(n); }
    void Deliver(size_t n, int status, const std::string& body) {
        Exchange(n).Answer(status, "Content-Length: " + std::to_string(body.size()) + "\r\n");
        if (!body.empty() && Exchange(n).IsOpen()) Exchange(n).Body(body);
        if (Exchange(n).IsOpen()) Exchange(n).End();
    }
    // Piece i of StartPieces is "ii" in its letter, the last "iiii" in part.
    void DeliverPiece(size_t n, size_t count) {
        const std::string& url = Exchange(n).request.url;
        const size_t index = std::stoul(url.substr(url.rfind("/s") + 2));
        const bool last = index + 1 == count;
        Deliver(n, last ? 206 : 200, std::string(last ? 4 : 2, static_cast<char>('a' + index)));
    }
    std::string OnDisk() {
        std::ifstream in(folder.File("v.ts.tarnwick.part"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    test_support::TempFolder folder;
    fakes::FakeClock clock;
    fakes::FakeHttp http;
    PieceRequests requests{http, clock, {}};
    transfer::DownloadFile file;
    std::unique_ptr<PieceDownload> download;
    std::vector<size_t> written;
    std::optional<Outcome> outcome;
};

TEST_F(PieceDownloadTest, AsksForFourAtOnceAndWritesInOrderWhateverOrderTheyCome) {
    StartPieces(6);
    ASSERT_EQ(http.OpenCount(), 4);
    Deliver(2, 200, "cc");
    Deliver(1, 200, "bb");
    EXPECT_TRUE(written.empty()) << "nothing is written before the first piece";
    EXPECT_EQ(http.OpenCount(), 4) << "the window moves on as pieces arrive";
    Deliver(0, 200, "aa");
    EXPECT_EQ(written, std::vector<size_t>{3});
    for (size_t n = http.exchanges.size(); n-- > 3;) DeliverPiece(n, 6);
    for (size_t n = 3; n < http.exchanges.size(); ++n) {
        if (Exchange(n).IsOpen()) DeliverPiece(n, 6);
    }
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(OnDisk(), "aabbccddeeffff");
    EXPECT_EQ(Exchange(5).request.headers, std::vector<std::string>{"Range: bytes=100-103"});
}

TEST_F(PieceDownloadTest, APieceIsTriedThreeTimesMoreAfterOneTwoAndFourSeconds) {
    StartPieces(1);
    const std::vector<int> waits = {1000, 2000, 4000};
    for (const int wait : waits) {
        Deliver(http.exchanges.size() - 1, 503, "");
        const size_t asked = http.exchanges.size();
        clock.Advance(platform::Duration(wait - 1));
        EXPECT_EQ(http.exchanges.size(), asked) << "not before " << wait << " ms";
        clock.Advance(platform::Duration(1));
        EXPECT_EQ(http.exchanges.size(), asked + 1);
    }
    Deliver(3, 503, "");
    ASSERT_TRUE(outcome.has_value());
    ASSERT_TRUE(outcome->IsFailed());
    EXPECT_EQ(outcome->failure().http_status, 503);
}

TEST_F(PieceDownloadTest, APieceThatFailsTwiceAndThenComesIsWritten) {
    StartPieces(2);
    Deliver(0, 200, "aa");
    Deliver(1, 503, "");
    clock.Advance(platform::Duration(1000));
    Exchange(2).End(platform::HttpEnd::Kind::kBroken, "reset");
    clock.Advance(platform::Duration(2000));
    Deliver(3, 206, "bbbb");
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->IsComplete());
    EXPECT_EQ(OnDisk(), "aabbbb");
}

TEST_F(PieceDownloadTest, GivingUpEndsEveryRequestAtOnce) {
    StartPieces(8);
    download.reset();
    EXPECT_EQ(http.OpenCount(), 0);
    for (const auto& exchange : http.exchanges) EXPECT_TRUE(exchange->WasGivenUp());
}

TEST_F(PieceDownloadTest, APartOtherThanTheOneAskedForFailsThePiece) {
    StartPieces(1);
    Deliver(0, 200, "whole");
    for (int retry = 0; retry < 3; ++retry) {
        clock.Advance(platform::Duration(4000));
        Deliver(http.exchanges.size() - 1, 200, "whole");
    }
    ASSERT_TRUE(outcome.has_value() && outcome->IsFailed());
    EXPECT_EQ(OnDisk(), "") << "nothing of it is written";
}

} // namespace
} // namespace tarnwick::driver
