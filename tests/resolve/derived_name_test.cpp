#include "resolve/derived_name.h"

#include "resolve/site_index.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::resolve {
namespace {

struct NamingCase {
    const char* name;
    std::string link;
    std::string remote_name; // what the probe found after "filename="
    int site;
    std::string file_name;
};

class DeriveFileNameTest : public testing::TestWithParam<NamingCase> {};

TEST_P(DeriveFileNameTest, NamesTheFile) {
    const NamingCase& c = GetParam();
    EXPECT_EQ(DeriveFileName(c.link, c.remote_name, c.site), c.file_name);
}

const std::string k120 = std::string(116, 'n') + ".flv";
const std::string k40 = std::string(36, 'y') + ".mp4";

INSTANTIATE_TEST_SUITE_P(
    Links, DeriveFileNameTest,
    testing::Values(
        NamingCase{"VideoLinkNamesItselfWhateverTheServerSays", "http://h/media/clip.FLV",
                   "\"other.avi\"", kSitePutFile, "clip.FLV"},
        NamingCase{"ServerNameWithQuotesRemoved", "http://h/get?id=7", "\"movie.mp4\"", kSiteBreak,
                   "movie.mp4"},
        NamingCase{"LastSegmentCleanedWithoutServerName", "http://h/get?id=7&k=a:b", "", kSiteBreak,
                   "getid=7k=ab"},
        NamingCase{"DailyMotionGetsFlvTwice", "http://h/cdn/clip.flv", "", kSiteDailyMotion,
                   "clip.flv.flv"},
        NamingCase{"LongNameKeepsItsExtension", "http://h/v/" + k120, "", kSitePutFile,
                   std::string(96, 'n') + ".flv"},
        NamingCase{"YouTubeNameCutToThirtyFive", "http://h/v/" + k40, "", kSiteYouTube,
                   std::string(31, 'y') + ".flv"},
        NamingCase{"OtherSiteKeepsFortyCharacters", "http://h/v/" + k40, "", kSiteBreak, k40},
        NamingCase{"LinkWithoutSlash", "clip:1", "", kSiteBreak, "clip1"},
        NamingCase{"HostileServerNameStaysInTheFolder", "http://h/get?id=8", "../../.bashrc",
                   kSiteBreak, ".....bashrc"}),
    [](const testing::TestParamInfo<NamingCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::resolve
