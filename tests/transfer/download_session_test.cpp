// When a probe runs, and when the session is kept or closed.
#include "download_test_support.h"
#include "transfer/transfer_failure.h"

namespace tarnwick::transfer {
namespace {

using test_support::Answer;
using Texts = std::vector<std::string>;

class DownloadSessionTest : public DownloadTest {
protected:
    DownloadSessionTest() {
        server_.Serve("/clip", Answer::Http(200, "OK", {}, "0123456789"));
        Address("/clip");
    }
};

TEST_F(DownloadSessionTest, AProbeBeforeAnyTransferKeepsTheSessionOpen) {
    EXPECT_FALSE(download_.InfoRequested());
    download_.RequestInformation();
    EXPECT_TRUE(download_.InfoRequested());
    EXPECT_FALSE(download_.CloseSessionAfterProbe());
    EXPECT_NE(download_.SessionHandle(), nullptr);
}

TEST_F(DownloadSessionTest, TheFirstTransferProbesByItselfAndClosesTheSession) {
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(Methods(), (Texts{"HEAD", "GET"}));
    EXPECT_EQ(download_.FileSize(), 10);
    EXPECT_TRUE(download_.InfoRequested());
    EXPECT_TRUE(download_.CloseSessionAfterProbe());
    EXPECT_EQ(download_.SessionHandle(), nullptr);
}

TEST_F(DownloadSessionTest, ATransferAfterAProbeDoesNotProbeAgain) {
    download_.RequestInformation();
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(Methods(), (Texts{"HEAD", "GET", "GET"}));
}

TEST_F(DownloadSessionTest, AProbeAfterATransferClosesTheSession) {
    EXPECT_TRUE(download_.StartDownload());
    download_.RequestInformation();
    EXPECT_EQ(download_.SessionHandle(), nullptr);
    EXPECT_TRUE(download_.FileExists());
}

TEST_F(DownloadSessionTest, AnAddressThatCannotBeOpenedKeepsTheSession) {
    download_.RequestInformation();
    download_.SetUrl("http://127.0.0.1:" + std::to_string(test_support::UnusedPort()) + "/clip");
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Texts{"error Could not find URL"}));
    EXPECT_NE(download_.SessionHandle(), nullptr);
}

TEST_F(DownloadSessionTest, ACancelAskedForBetweenTransfersIsForgotten) {
    download_.CancelDownload();
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(events_.log.back(), "complete");
}

TEST_F(DownloadSessionTest, ACancelLeftFromATransferDoesNotEndALaterProbe) {
    events_.on_progress = [this](int64_t) { download_.CancelDownload(); };
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_TRUE(download_.CancelRequested());
    server_.Serve("/other", Answer::Http(200, "OK", {}, "1234567"));
    Address("/other");
    download_.RequestInformation();
    EXPECT_EQ(download_.FileSize(), 7);
}

TEST_F(DownloadSessionTest, ASecondTransferStartedFromAnEventIsRefused) {
    bool refused = false;
    events_.on_progress = [&](int64_t) {
        try {
            download_.StartDownload();
        } catch (const TransferFailure&) {
            refused = true;
        }
    };
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_TRUE(refused);
    EXPECT_EQ(LocalBytes(), "0123456789");
}

} // namespace
} // namespace tarnwick::transfer
