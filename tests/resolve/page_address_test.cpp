#include "resolve/page_address.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>

namespace tarnwick::resolve {
namespace {

struct CleanCase {
    const char* name;
    std::string text;
    std::string address;
};

void PrintTo(const CleanCase& c, std::ostream* out) { *out << c.name; }

class CleanAddressTest : public testing::TestWithParam<CleanCase> {};

TEST_P(CleanAddressTest, TrimsAndCompletesWhatWasPasted) {
    EXPECT_EQ(CleanAddress(GetParam().text), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CleanAddressTest,
    testing::Values(
        CleanCase{"BlanksAndLineBreaksAround", " \t http://youtube.com/watch?v=1\r\n",
                  "http://youtube.com/watch?v=1"},
        CleanCase{"InvisibleCharactersAround",
                  "\xEF\xBB\xBF\xC2\xA0http://bolt.com/v/1\xE2\x80\x8B", "http://bolt.com/v/1"},
        CleanCase{"BlanksInsideStay", " http://bolt.com/a b ", "http://bolt.com/a b"},
        CleanCase{"HostAndPathGetAScheme", "www.bolt.com/video/1", "http://www.bolt.com/video/1"},
        CleanCase{"HostWithPortAndPath", "media.example.org:8080/a.mp4",
                  "http://media.example.org:8080/a.mp4"},
        CleanCase{"WwwHostAlone", "www.putfile.com", "http://www.putfile.com"},
        CleanCase{"OtherSchemesStay", "ftp://bolt.com/v/1", "ftp://bolt.com/v/1"},
        CleanCase{"AFileNameIsNoHost", "clip.flv", "clip.flv"},
        CleanCase{"ANumberIsNoHost", "1.5/2", "1.5/2"},
        CleanCase{"ASentenceIsNoAddress", "see www.bolt.com/v/1 now", "see www.bolt.com/v/1 now"},
        CleanCase{"NothingButBlanks", " \t\r\n", ""},
        // Only a scheme at the start counts; one further on is part of the path or query.
        CleanCase{"ArchivedAddressInThePath",
                  "web.archive.org/web/2016/http://example.com/clip.mp4",
                  "http://web.archive.org/web/2016/http://example.com/clip.mp4"},
        CleanCase{"AddressInTheQuery", "www.example.com/go?to=https://cdn.example.com/a.mp4",
                  "http://www.example.com/go?to=https://cdn.example.com/a.mp4"},
        CleanCase{"UpperCaseSchemeStays", "HTTPS://bolt.com/v/1", "HTTPS://bolt.com/v/1"},
        CleanCase{"SchemeWithoutHostStays", "file:///home/a.mp4", "file:///home/a.mp4"},
        // Local hosts, with a path.
        CleanCase{"Ipv4WithPortAndPath", "192.168.1.10:8000/movie.mp4",
                  "http://192.168.1.10:8000/movie.mp4"},
        CleanCase{"Ipv4WithPath", "10.0.0.2/a.webm", "http://10.0.0.2/a.webm"},
        CleanCase{"LocalhostWithPortAndPath", "localhost:8080/a.mp4",
                  "http://localhost:8080/a.mp4"},
        CleanCase{"Ipv4AloneStays", "192.168.1.10", "192.168.1.10"},
        CleanCase{"LocalhostAloneStays", "localhost:8080", "localhost:8080"},
        CleanCase{"VersionNumberIsNoAddress", "1.2.3/4", "1.2.3/4"},
        CleanCase{"FivePartsAreNoAddress", "1.2.3.4.5/a", "1.2.3.4.5/a"},
        CleanCase{"PartBeyond255IsNoAddress", "192.168.1.256/a.mp4", "192.168.1.256/a.mp4"},
        CleanCase{"LetterInThePort", "localhost:8o/a", "localhost:8o/a"},
        CleanCase{"DataAddressStays", "data:video/mp4;base64,AAAA", "data:video/mp4;base64,AAAA"}),
    [](const testing::TestParamInfo<CleanCase>& info) { return info.param.name; });

struct CopyCase {
    const char* name;
    std::string text;
    bool taken;
};

void PrintTo(const CopyCase& c, std::ostream* out) { *out << c.name; }

class CopiedAddressTest : public testing::TestWithParam<CopyCase> {};

// The clipboard monitor cleans a copied text and takes it only when it is worth listing.
TEST_P(CopiedAddressTest, TakesOnlyVideoAddresses) {
    EXPECT_EQ(IsCopiedVideoAddress(CleanAddress(GetParam().text)), GetParam().taken);
}

const std::string kPage = "http://www.youtube.com/watch?v=1";

INSTANTIATE_TEST_SUITE_P(
    Copies, CopiedAddressTest,
    testing::Values(
        CopyCase{"SupportedSite", kPage, true},
        CopyCase{"SupportedSiteWithoutScheme", "  www.dailymotion.com/video/x1 ", true},
        CopyCase{"UpperCaseScheme", "HTTPS://www.youtube.com/watch?v=1", true},
        CopyCase{"DirectMp4", "https://cdn.example.org/films/a.mp4", true},
        CopyCase{"DirectUpperCaseWebmWithQuery", "http://cdn.example.org/a.WEBM?token=1#t=5", true},
        CopyCase{"Direct3gp", "http://example.org/a/b.3gp", true},
        CopyCase{"ArchivedVideoWithoutScheme",
                 "web.archive.org/web/2016/http://example.com/clip.mp4", true},
        CopyCase{"LocalVideoWithoutScheme", "192.168.1.10:8000/movie.mp4", true},
        CopyCase{"OrdinaryPage", "https://news.example.org/story/42", false},
        CopyCase{"LocalPageWithoutScheme", "localhost:8080/index.html", false},
        CopyCase{"ExtensionOnlyInTheQuery", "http://example.org/page?file=a.mp4", false},
        CopyCase{"ExtensionOnlyInTheHost", "http://a.mp4.example.org/", false},
        CopyCase{"NoFileBeforeTheExtension", "http://example.org/.mp4", false},
        CopyCase{"OtherSchemeOfAVideo", "ftp://example.org/a.mp4", false},
        CopyCase{"OtherSchemeOfASite", "ftp://www.youtube.com/watch?v=1", false},
        CopyCase{"SiteNameAlone", "youtube.com", false},
        CopyCase{"SentenceWithAVideo", "see http://example.org/a.mp4", false},
        CopyCase{"SentenceWithASite", "Watch this: " + kPage + " it is great", false},
        CopyCase{"TwoAddressesOnTwoLines", kPage + "\n" + "http://www.dailymotion.com/video/x2",
                 false},
        CopyCase{"LongerThanAnAddress", kPage + "&t=" + std::string(9000, '1'), false},
        CopyCase{"NetworkBlock", "10.0.0.0/8", false}, CopyCase{"PlainText", "hello world", false},
        CopyCase{"Empty", "", false}),
    [](const testing::TestParamInfo<CopyCase>& info) { return info.param.name; });

TEST(CopiedAddressesTest, EachLineTheMonitorWouldTakeAloneIsTaken) {
    const std::string text = " " + kPage + "\r\n\nsee " + kPage + "2\n" +
                             "https://news.example.org/story/42\n" +
                             "www.dailymotion.com/video/x2\n" + kPage +
                             "&t=" + std::string(9000, '1') + "\nhttps://cdn.example.org/a.mp4";
    EXPECT_EQ(CopiedVideoAddresses(text),
              (std::vector<std::string>{kPage, "http://www.dailymotion.com/video/x2",
                                        "https://cdn.example.org/a.mp4"}));
    EXPECT_EQ(CopiedVideoAddresses(kPage), std::vector<std::string>{kPage});
    EXPECT_TRUE(CopiedVideoAddresses("\n\n").empty());
}

} // namespace
} // namespace tarnwick::resolve
