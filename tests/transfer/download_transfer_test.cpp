// The transfer: its events, the local file, and how each ending looks.
#include "download_test_support.h"
#include "transfer/transfer_failure.h"

#include <chrono>

namespace tarnwick::transfer {
namespace {

using test_support::Answer;
using Log = std::vector<std::string>;
using namespace std::chrono_literals;

std::string Body(size_t size) {
    std::string body(size, ' ');
    for (size_t i = 0; i < size; ++i) body[i] = test_support::GeneratedByte(i);
    return body;
}

struct SequenceCase {
    const char* name;
    size_t body_size;
    bool size_known; // false: FileSize -1 after the probe
    Log log;
};

class DownloadSequenceTest : public DownloadTest,
                             public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(DownloadSequenceTest, ReportsEveryReadAndCompletes) {
    const SequenceCase& c = GetParam();
    server_.Serve("/clip", Answer::Http(200, "OK", {}, Body(c.body_size)));
    Address("/clip");
    if (!c.size_known) {
        download_.RequestInformation();
        download_.SetFileSize(-1);
    }
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(events_.log, c.log);
    EXPECT_EQ(LocalBytes(), Body(c.body_size));
    EXPECT_TRUE(LocalFileExists());
    EXPECT_FALSE(TemporaryFileExists());
    EXPECT_EQ(download_.StatusCode(), 200);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, DownloadSequenceTest,
    ::testing::Values(SequenceCase{"EmptyBody", 0, true, {"progress 0", "complete"}},
                      SequenceCase{"PercentOfKnownSize",
                                   5000,
                                   true,
                                   {"progress 41", "progress 82", "progress 100", "progress 100",
                                    "complete"}},
                      SequenceCase{"BytesWhenSizeUnknown",
                                   5000,
                                   false,
                                   {"progress 2048", "progress 4096", "progress 5000",
                                    "progress 5000", "complete"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
    const char* name;
    int report; // the progress report whose handler cancels, from 1
    Log log;
    size_t bytes_kept;
};

class DownloadCancelTest : public DownloadTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(DownloadCancelTest, EndsAfterTheReportThatAskedAndKeepsWhatCame) {
    const CancelCase& c = GetParam();
    test_support::WriteWholeFile(download_.LocalFile(), "earlier file");
    server_.Serve("/clip", Answer::Http(200, "OK", {}, Body(5000)));
    Address("/clip");
    int reports = 0;
    events_.on_progress = [&](int64_t) {
        if (++reports == c.report) download_.CancelDownload();
    };
    bool session_open_in_handler = false;
    events_.on_cancelled = [&] { session_open_in_handler = download_.SessionHandle() != nullptr; };
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, c.log);
    EXPECT_TRUE(session_open_in_handler) << "closed before DownloadCancelled";
    EXPECT_EQ(download_.SessionHandle(), nullptr);
    EXPECT_EQ(LocalBytes(), "earlier file");
    EXPECT_EQ(TemporaryBytes(), Body(c.bytes_kept));
}

INSTANTIATE_TEST_SUITE_P(
    Reports, DownloadCancelTest,
    ::testing::Values(CancelCase{"FromTheFirstReport", 1, {"progress 41", "cancelled 2048"}, 2048},
                      CancelCase{"FromTheFinalReport",
                                 4,
                                 {"progress 41", "progress 82", "progress 100", "progress 100",
                                  "cancelled 5000"},
                                 5000}),
    [](const auto& info) { return std::string(info.param.name); });

struct LimitCase {
    const char* name;
    int64_t limit;
    Log log;
};

class DownloadBodyLimitTest : public DownloadTest,
                              public ::testing::WithParamInterface<LimitCase> {};

TEST_P(DownloadBodyLimitTest, FailsTheReadThatWouldPassTheLimit) {
    server_.Serve("/clip", Answer::Http(200, "OK", {}, Body(5000)));
    Address("/clip");
    download_.SetBodyLimit(GetParam().limit);
    download_.StartDownload();
    EXPECT_EQ(events_.log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, DownloadBodyLimitTest,
    ::testing::Values(
        LimitCase{"BelowTheBody", 4096, {"progress 41", "progress 82", "error Could not read URL"}},
        LimitCase{"TheWholeBody",
                  5000,
                  {"progress 41", "progress 82", "progress 100", "progress 100", "complete"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, CompletionPutsTheFileInPlaceBeforeTellingTheHost) {
    test_support::WriteWholeFile(download_.LocalFile(), "earlier, longer file");
    server_.Serve("/clip", Answer::Http(200, "OK", {}, "new"));
    Address("/clip");
    std::string bytes_in_handler;
    bool session_open_in_handler = true;
    events_.on_complete = [&] {
        bytes_in_handler = LocalBytes();
        session_open_in_handler = download_.SessionHandle() != nullptr;
    };
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(bytes_in_handler, "new");
    EXPECT_FALSE(session_open_in_handler);
}

TEST_F(DownloadTest, AnErrorPageIsWrittenAndCompletes) {
    server_.Serve("/page", Answer::Http(404, "Not Found", {}, "<html>no such page</html>"));
    Address("/page");
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(events_.log.back(), "complete");
    EXPECT_EQ(LocalBytes(), "<html>no such page</html>");
    EXPECT_EQ(download_.StatusCode(), 404);
}

TEST_F(DownloadTest, AnErrorPageCanBeKeptFromReplacingTheFile) {
    test_support::WriteWholeFile(download_.LocalFile(), "the video");
    server_.Serve("/clip", Answer::Http(503, "Unavailable", {}, "try later"));
    Address("/clip");
    download_.SetCommitErrorAnswers(false);
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(events_.log.back(), "complete");
    EXPECT_EQ(download_.StatusCode(), 503);
    EXPECT_EQ(LocalBytes(), "the video");
    EXPECT_EQ(TemporaryBytes(), "try later");
}

TEST_F(DownloadTest, ADroppedConnectionFailsAndLeavesTheEarlierFile) {
    test_support::WriteWholeFile(download_.LocalFile(), "earlier file");
    server_.Serve(
        "/clip",
        Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n").Body(Body(3000)).Drop());
    Address("/clip");
    bool session_open_in_handler = true;
    events_.on_error = [&] { session_open_in_handler = download_.SessionHandle() != nullptr; };
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Log{"progress 41", "progress 60", "error Could not read URL"}));
    EXPECT_FALSE(session_open_in_handler) << "the session was still open in DownloadError";
    EXPECT_EQ(LocalBytes(), "earlier file");
    EXPECT_EQ(TemporaryBytes(), Body(3000));
}

TEST_F(DownloadTest, ALaterTransferStartsTheTemporaryFileAfresh) {
    server_.Serve(
        "/cut",
        Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n").Body(Body(3000)).Drop());
    server_.Serve("/short", Answer::Http(200, "OK", {}, "short"));
    Address("/cut");
    EXPECT_FALSE(download_.StartDownload());
    Address("/short");
    EXPECT_TRUE(download_.StartDownload());
    EXPECT_EQ(LocalBytes(), "short");
    EXPECT_FALSE(TemporaryFileExists());
}

TEST_F(DownloadTest, AStalledServerFailsTheReadAtTheStallLimit) {
    server_.Serve(
        "/clip",
        Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n").Body(Body(100)).Stall());
    Address("/clip");
    download_.SetStallLimit(200ms);
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Log{"progress 2", "error Could not read URL"}));
    EXPECT_EQ(TemporaryBytes(), Body(100));
}

TEST_F(DownloadTest, ACancelDuringAStallEndsTheTransferWithinASecond) {
    server_.Serve(
        "/clip",
        Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n").Body(Body(2148)).Stall());
    Address("/clip");
    // The transfer yields a few times between a report and its next read;
    // ten rounds after the report it is waiting inside that read.
    int report_round = 0;
    events_.on_progress = [&](int64_t) { report_round = pump_.rounds; };
    std::chrono::steady_clock::time_point asked;
    pump_.on_round = [&](int round) {
        if (report_round > 0 && round > report_round + 10 && !download_.CancelRequested()) {
            download_.CancelDownload();
            asked = std::chrono::steady_clock::now();
        }
    };
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
    // The read that was waiting hands over what it had.
    EXPECT_EQ(events_.log, (Log{"progress 41", "progress 43", "cancelled 2148"}));
}

TEST_F(DownloadTest, AnAnswerThatNeverComesIsNotFoundAtTheOpenLimit) {
    server_.Serve("/clip", Answer().Stall());
    Address("/clip");
    download_.SetOpenLimit(200ms);
    download_.RequestInformation();
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Log{"error Could not find URL"}));
}

TEST_F(DownloadTest, ACancelWhileWaitingForTheAnswerEndsTheTransfer) {
    server_.Serve("/clip", Answer().Stall());
    Address("/clip");
    download_.SetOpenLimit(200ms);
    download_.RequestInformation();
    download_.SetOpenLimit(30s);
    pump_.on_round = [&](int) {
        if (server_.Requests().size() == 2) download_.CancelDownload();
    };
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Log{"cancelled 0"}));
    EXPECT_EQ(download_.SessionHandle(), nullptr);
    EXPECT_FALSE(TemporaryFileExists());
}

TEST_F(DownloadTest, AnAddressThatCannotBeOpenedCreatesNoFile) {
    download_.SetUrl("http://127.0.0.1:" + std::to_string(test_support::UnusedPort()) + "/clip");
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Log{"error Could not find URL"}));
    EXPECT_FALSE(LocalFileExists());
    EXPECT_FALSE(TemporaryFileExists());
}

TEST_F(DownloadTest, ALocalFileThatCannotBeOpenedReachesTheCaller) {
    server_.Serve("/clip", Answer::Http(200, "OK", {}, "body"));
    Address("/clip");
    download_.SetLocalFile(folder_.File("no such folder/video.flv"));
    EXPECT_THROW(download_.StartDownload(), TransferFailure);
    EXPECT_TRUE(events_.log.empty());
    EXPECT_NE(download_.SessionHandle(), nullptr);
}

TEST_F(DownloadTest, AProbeThatFailsEndsTheTransferBeforeAnyRequestForTheBody) {
    server_.Serve("/clip", Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\n"));
    Address("/clip");
    EXPECT_THROW(download_.StartDownload(), TransferFailure);
    EXPECT_EQ(Methods(), (std::vector<std::string>{"HEAD"}));
    EXPECT_FALSE(TemporaryFileExists());
}

struct HostileCase {
    const char* name;
    std::string address; // PORT stands for the server's port
};

class DownloadHostileAddressTest : public DownloadTest,
                                   public ::testing::WithParamInterface<HostileCase> {};

TEST_P(DownloadHostileAddressTest, IsNotFoundAndWritesNothing) {
    server_.Serve("/to-file", Answer::Http(302, "Found", {"Location: file:///etc/hostname"}));
    server_.Serve("/to-ftp", Answer::Http(301, "Moved", {"Location: ftp://127.0.0.1:PORT/clip"}));
    std::string address = GetParam().address;
    const size_t port = address.find("PORT");
    if (port != std::string::npos) address.replace(port, 4, std::to_string(server_.Port()));
    download_.SetUrl(address);
    download_.SetFileSize(-1);
    download_.RequestInformation();
    EXPECT_FALSE(download_.StartDownload());
    EXPECT_EQ(events_.log, (Log{"error Could not find URL"}));
    EXPECT_FALSE(TemporaryFileExists());
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DownloadHostileAddressTest,
    ::testing::Values(HostileCase{"FileAddress", "file:///etc/hostname"},
                      HostileCase{"FtpAddress", "ftp://127.0.0.1:PORT/clip"},
                      HostileCase{"RedirectToFile", "http://127.0.0.1:PORT/to-file"},
                      HostileCase{"RedirectToFtp", "http://127.0.0.1:PORT/to-ftp"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::transfer
