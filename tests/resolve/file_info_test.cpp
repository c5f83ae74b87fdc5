#include "resolve/file_info.h"

#include "curl/curl_http_client.h"
#include "fakes/fake_event_pump.h"
#include "resolve/site_index.h"
#include "support/loopback_server.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::resolve {
namespace {

using test_support::Answer;

struct NamingCase {
    const char* name;
    std::string target; // the link's path on the server
    std::string head;   // the probe's answer
    int site;
    std::string file_name;
    std::string size_text;
};

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kSized = kOk + "Content-Length: 2048\r\n";

class FileNaming : public testing::TestWithParam<NamingCase> {
protected:
    fakes::FakeEventPump pump;
    platform::curl::CurlHttpClient client{pump};
    transfer::Download download{client, pump};
    test_support::LoopbackServer server;
};

TEST_P(FileNaming, NamesTheFileAndWritesItsSize) {
    const NamingCase& c = GetParam();
    server.Serve(c.target, Answer().Head(c.head + "\r\n"));
    const FileInfo info = GetFileInfo(download, server.Url(c.target), c.site);
    EXPECT_EQ(info.FileName, c.file_name);
    EXPECT_EQ(info.SizeText, c.size_text);
}

const std::string k120 = std::string(116, 'n') + ".flv";
const std::string k40 = std::string(36, 'y') + ".mp4";

INSTANTIATE_TEST_SUITE_P(
    Links, FileNaming,
    testing::Values(
        NamingCase{"VideoLinkNamesItselfWhateverTheServerSays", "/media/clip.FLV",
                   kSized + "Content-Disposition: attachment; filename=\"other.avi\"\r\n",
                   kSitePutFile, "clip.FLV", "2 KB"},
        NamingCase{"ServerNameWithQuotesRemoved", "/get?id=7",
                   kSized + "Content-Disposition: attachment; filename=\"movie.mp4\"\r\n",
                   kSiteBreak, "movie.mp4", "2 KB"},
        NamingCase{"LastSegmentCleanedWithoutServerName", "/get?id=7&k=a:b", kSized, kSiteBreak,
                   "getid=7k=ab", "2 KB"},
        NamingCase{"DailyMotionGetsFlvTwice", "/cdn/clip.flv", kSized, kSiteDailyMotion,
                   "clip.flv.flv", "2 KB"},
        NamingCase{"LongNameKeepsItsExtension", "/v/" + k120, kSized, kSitePutFile,
                   std::string(96, 'n') + ".flv", "2 KB"},
        NamingCase{"YouTubeNameCutToThirtyFive", "/v/" + k40, kSized, kSiteYouTube,
                   std::string(31, 'y') + ".flv", "2 KB"},
        NamingCase{"OtherSiteKeepsFortyCharacters", "/v/" + k40, kSized, kSiteBreak, k40, "2 KB"},
        NamingCase{"ExistingFileWithoutLengthIsZero", "/v/a.flv", kOk, kSitePutFile, "a.flv", "0"},
        NamingCase{"MissingFileIsMinusOneBytes", "/v/b.flv", "HTTP/1.1 404 Not Found\r\n",
                   kSitePutFile, "b.flv", "-1 Bytes"},
        NamingCase{"HostileServerNameStaysInTheFolder", "/get?id=8",
                   kSized + "Content-Disposition: attachment; filename=../../.bashrc\r\n",
                   kSiteBreak, ".....bashrc", "2 KB"}),
    [](const testing::TestParamInfo<NamingCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::resolve
