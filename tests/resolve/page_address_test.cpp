#include "resolve/page_address.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::resolve {
namespace {

struct CleanCase {
    const char* name;
    std::string text;
    std::string address;
};

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
        CleanCase{"NothingButBlanks", " \t\r\n", ""}),
    [](const testing::TestParamInfo<CleanCase>& info) { return info.param.name; });

struct FilterCase {
    const char* name;
    std::string text;
    bool passed_on;
};

class WatcherFilterTest : public testing::TestWithParam<FilterCase> {};

// The watcher cleans a copied text and passes it on only when it is worth listing.
TEST_P(WatcherFilterTest, PassesOnOnlyVideoAddresses) {
    EXPECT_EQ(IsVideoAddress(CleanAddress(GetParam().text)), GetParam().passed_on);
}

INSTANTIATE_TEST_SUITE_P(
    Copies, WatcherFilterTest,
    testing::Values(
        FilterCase{"SupportedSite", "http://www.youtube.com/watch?v=1", true},
        FilterCase{"SupportedSiteWithoutScheme", "  www.dailymotion.com/video/x1 ", true},
        FilterCase{"DirectMp4", "https://cdn.example.org/films/a.mp4", true},
        FilterCase{"DirectUpperCaseWebmWithQuery", "http://cdn.example.org/a.WEBM?token=1#t=5",
                   true},
        FilterCase{"Direct3gp", "http://example.org/a/b.3gp", true},
        FilterCase{"OrdinaryPage", "https://news.example.org/story/42", false},
        FilterCase{"ExtensionOnlyInTheQuery", "http://example.org/page?file=a.mp4", false},
        FilterCase{"ExtensionOnlyInTheHost", "http://a.mp4.example.org/", false},
        FilterCase{"NoFileBeforeTheExtension", "http://example.org/.mp4", false},
        FilterCase{"OtherScheme", "ftp://example.org/a.mp4", false},
        FilterCase{"PlainText", "hello world", false}, FilterCase{"Empty", "", false}),
    [](const testing::TestParamInfo<FilterCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::resolve
