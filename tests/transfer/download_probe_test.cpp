// The header probe: what each kind of answer leaves in the findings.
#include "download_test_support.h"
#include "transfer/transfer_failure.h"

namespace tarnwick::transfer {
namespace {

using test_support::Answer;

struct HeaderCase {
    const char* name;
    std::string head; // status line and headers, blank line included
    std::string last_modified;
    float file_size;
    std::string remote_file_name;
    std::string remote_file_type;
    bool file_exists;
};

// A header block of the ceiling's size plus `extra` bytes as the probe sees
// it: the status line and headers, each ended by CR LF.
std::string PaddedHead(const std::string& status_line, int extra) {
    const std::string start = status_line + "\r\nContent-Length: 77\r\n";
    const std::string pad(1023 + extra - start.size() - std::string("X-Pad: \r\n").size(), 'p');
    return start + "X-Pad: " + pad + "\r\n\r\n";
}

class DownloadProbeTest : public DownloadTest, public ::testing::WithParamInterface<HeaderCase> {};

// Each case follows a probe that found a name and a type, to show what stays.
TEST_P(DownloadProbeTest, TakesTheFindingsFromTheHeaders) {
    const HeaderCase& c = GetParam();
    server_.Serve("/before", Answer::Http(200, "OK",
                                          {"Content-Disposition: attachment; filename=before.flv",
                                           "Content-Type: video/x-flv"}));
    server_.Serve("/clip", Answer().Head(c.head));
    Address("/before");
    download_.RequestInformation();
    Address("/clip");
    download_.RequestInformation();
    EXPECT_EQ(download_.LastModified(), c.last_modified);
    EXPECT_EQ(download_.FileSize(), c.file_size);
    EXPECT_EQ(download_.RemoteFileName(), c.remote_file_name);
    EXPECT_EQ(download_.RemoteFileType(), c.remote_file_type);
    EXPECT_EQ(download_.FileExists(), c.file_exists);
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, DownloadProbeTest,
    ::testing::Values(
        HeaderCase{"ContentLength", kOk + "Content-Length: 1234\r\n\r\n", "Not Available", 1234, "",
                   "", true},
        HeaderCase{"ContentLengthWithoutBlank", kOk + "Content-Length:1234\r\n\r\n",
                   "Not Available", -1, "", "", true},
        HeaderCase{"NoContentLength", kOk + "Server: x\r\n\r\n", "Not Available", -1, "", "", true},
        HeaderCase{"SizeBeyondFloatPrecision", kOk + "Content-Length: 16777217\r\n\r\n",
                   "Not Available", 16777216, "", "", true},
        HeaderCase{"LastModifiedAsReceived",
                   kOk + "last-MODIFIED: Tue, 15 Nov 1994 08:12:31 GMT\r\n\r\n",
                   "Tue, 15 Nov 1994 08:12:31 GMT", -1, "", "", true},
        HeaderCase{"ContentTypeWithParameter",
                   kOk + "content-type: text/html; charset=ISO-8859-1\r\n\r\n", "Not Available", -1,
                   "", "html; charset=ISO-8859-1", true},
        HeaderCase{"ContentTypeWithoutSlash", kOk + "Content-Type: flv\r\n\r\n", "Not Available",
                   -1, "", "flv", true},
        HeaderCase{"QuotedFileName",
                   kOk + "Content-Disposition: attachment; filename=\"clip one.flv\"; x=1\r\n\r\n",
                   "Not Available", -1, "\"clip one.flv\"; x=1", "", true},
        HeaderCase{"NotFound", "HTTP/1.1 404 Not Found\r\n\r\n", "Not Available", -1, "", "",
                   false},
        HeaderCase{"FileNotFound", "HTTP/1.1 404 File Not Found\r\n\r\n", "Not Available", -1, "",
                   "", false},
        HeaderCase{"NotFoundOfHttpOnePointZero", "HTTP/1.0 404 Not Found\r\n\r\n", "Not Available",
                   -1, "", "", true},
        HeaderCase{"ServerError", "HTTP/1.1 500 Internal Server Error\r\n\r\n", "Not Available", -1,
                   "", "", true},
        HeaderCase{"HeaderBlockJustFits", PaddedHead("HTTP/1.1 200 OK", 0), "Not Available", 77, "",
                   "", true},
        HeaderCase{"HeaderBlockTooLongWithOk", PaddedHead("HTTP/1.1 200 OK", 1), "Not Available",
                   -1, "before.flv", "x-flv", true},
        HeaderCase{"HeaderBlockTooLongWithNotFound", PaddedHead("HTTP/1.1 404 Not Found", 1),
                   "Not Available", -1, "before.flv", "x-flv", false},
        HeaderCase{"HeaderBlockTooLongWithCreated", PaddedHead("HTTP/1.1 201 Created", 1),
                   "Not Available", -1, "before.flv", "x-flv", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, AContentLengthThatIsNoNumberFailsTheProbe) {
    server_.Serve("/clip", Answer().Head(kOk + "Last-Modified: today\r\n"
                                               "Content-Length: 12 bytes\r\n\r\n"));
    download_.SetFileSize(5);
    Address("/clip");
    EXPECT_THROW(download_.RequestInformation(), TransferFailure);
    EXPECT_EQ(download_.LastModified(), "today");
    EXPECT_EQ(download_.FileSize(), 5);
}

TEST_F(DownloadTest, AnUnreachableServerLeavesNameAndTypeAndFindsNoFile) {
    server_.Serve("/before", Answer::Http(200, "OK", {"Content-Type: video/x-flv"}));
    Address("/before");
    download_.RequestInformation();
    download_.SetUrl("http://127.0.0.1:" + std::to_string(test_support::UnusedPort()) + "/clip");
    download_.RequestInformation();
    EXPECT_FALSE(download_.FileExists());
    EXPECT_EQ(download_.LastModified(), "Not Available");
    EXPECT_EQ(download_.FileSize(), -1);
    EXPECT_EQ(download_.RemoteFileType(), "x-flv");
}

TEST_F(DownloadTest, ASecureAddressIsProbedOverTls) {
    download_.SetUrl("HTTPS://127.0.0.1:" + std::to_string(server_.Port()) + "/clip.flv");
    download_.RequestInformation();
    ASSERT_TRUE(server_.WaitForRequests(1));
    const std::string hello = server_.Requests().at(0).raw;
    ASSERT_FALSE(hello.empty());
    EXPECT_EQ(hello[0], '\x16') << "the probe did not open a TLS connection";
    EXPECT_FALSE(download_.FileExists());
}

struct CredentialCase {
    const char* name;
    const char* user;
    const char* password;
    std::optional<std::string> authorization;
};

class DownloadCredentialsTest : public DownloadTest,
                                public ::testing::WithParamInterface<CredentialCase> {};

TEST_P(DownloadCredentialsTest, SendsCredentialsOnlyWithAUserName) {
    server_.Serve("/clip", Answer::Http(200, "OK"));
    download_.SetSiteUser(GetParam().user);
    download_.SetSitePassword(GetParam().password);
    Address("/clip");
    download_.RequestInformation();
    ASSERT_TRUE(server_.WaitForRequests(1));
    EXPECT_EQ(server_.Requests().at(0).Header("Authorization"), GetParam().authorization);
}

INSTANTIATE_TEST_SUITE_P(
    Credentials, DownloadCredentialsTest,
    ::testing::Values(CredentialCase{"UserAndPassword", "user", "secret", "Basic dXNlcjpzZWNyZXQ="},
                      CredentialCase{"UserOnly", "user", "", "Basic dXNlcjo="},
                      CredentialCase{"PasswordOnly", "", "secret", std::nullopt},
                      CredentialCase{"Neither", "", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, AProbeOnlyAsksTheServer) {
    server_.Serve("/clip", Answer::Http(200, "OK", {}, "body"));
    Address("/clip");
    download_.RequestInformation();
    EXPECT_EQ(Methods(), (std::vector<std::string>{"HEAD"}));
    EXPECT_FALSE(LocalFileExists());
    EXPECT_FALSE(TemporaryFileExists());
    EXPECT_TRUE(events_.log.empty());
}

} // namespace
} // namespace tarnwick::transfer
