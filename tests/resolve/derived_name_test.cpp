#include "resolve/derived_name.h"

#include "resolve/site_index.h"

#include <gtest/gtest.h>
#include <ostream>

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

void PrintTo(const NamingCase& c, std::ostream* out) { *out << c.name; }

class DeriveFileNameTest : public testing::TestWithParam<NamingCase> {};

TEST_P(DeriveFileNameTest, NamesTheFile) {
    const NamingCase& c = GetParam();
    EXPECT_EQ(DeriveFileName(c.link, c.remote_name, c.site), c.file_name);
}

const std::string k120 = std::string(116, 'n') + ".flv";
const std::string k40 = std::string(36, 'y') + ".mp4";
const std::string k95 = std::string(95, 'u');

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
        NamingCase{"HostileServerNameMakesNoHiddenFile", "http://h/get?id=8", "../../.bashrc",
                   kSiteBreak, "bashrc"},
        NamingCase{"LeadingDotsAndBlanksGo", "http://h/v/ . .clip.flv", "", kSitePutFile,
                   "clip.flv"},
        NamingCase{"NothingLeftIsEnterFileName", "http://h/get?id=8", "...", kSiteBreak,
                   "Enter File Name"},
        NamingCase{"LongNameKeepsItsRealExtension", "http://h/v/" + std::string(120, 'w') + ".webm",
                   "", kSiteBreak, std::string(95, 'w') + ".webm"},
        NamingCase{"CutNeverSplitsACharacter", "http://h/v/" + k95 + "\xC3\xA9\xC3\xA9" + ".flv",
                   "", kSitePutFile, k95 + ".flv"},
        NamingCase{"CutOnACharacterBoundary", "http://h/get",
                   std::string(95, 'e') + "\xE2\x82\xAC\xE2\x82\xAC.flv", kSiteBreak,
                   std::string(95, 'e') + ".flv"},
        NamingCase{"GeneralLinkNamedByItsPathAlone",
                   "https://cdn.example.org/a/My%20Film.webm?t=1#x", "", kSiteGeneral,
                   "My Film.webm"},
        NamingCase{"GeneralLinkNamedByTheServerFirst", "https://cdn.example.org/get?id=1",
                   "\"talk.mp4\"", kSiteGeneral, "talk.mp4"},
        NamingCase{"GeneralLinkKeepsEscapesThatAreNoUtf8", "https://cdn.example.org/a%99b.mp4", "",
                   kSiteGeneral, "a%99b.mp4"},
        NamingCase{"GeneralLinkWithoutAnExtensionGetsNone", "https://cdn.example.org/stream/42", "",
                   kSiteGeneral, "42"},
        NamingCase{"CutNeverEndsInABlankBeforeTheExtension", "http://h/get",
                   "\"" + std::string(95, 'p') + " prize winning.mp4\"", kSiteGeneral,
                   std::string(95, 'p') + ".mp4"},
        NamingCase{"CutNeverEndsInBlanksOrDotsWithoutAnExtension", "http://h/get",
                   std::string(98, 'q') + ".  rest", kSiteBreak, std::string(98, 'q')},
        NamingCase{"BytesThatAreNotUtf8AreCutWhereTheLimitFalls", "http://h/get",
                   std::string(120, '\x93'), kSiteDailyMotion, std::string(96, '\x93') + ".flv"}),
    [](const testing::TestParamInfo<NamingCase>& info) { return info.param.name; });

struct WindowsCase {
    const char* name;
    std::string given;
    std::string safe;
};

void PrintTo(const WindowsCase& c, std::ostream* out) { *out << c.name; }

class WindowsSafeNameTest : public testing::TestWithParam<WindowsCase> {};

TEST_P(WindowsSafeNameTest, GivesANameWindowsCanCreate) {
    EXPECT_EQ(WindowsSafeName(GetParam().given), GetParam().safe);
}

INSTANTIATE_TEST_SUITE_P(
    Names, WindowsSafeNameTest,
    testing::Values(WindowsCase{"DeviceName", "CON", "_CON"},
                    WindowsCase{"DeviceNameWithExtension", "nul.flv", "_nul.flv"},
                    WindowsCase{"NumberedPort", "Com7.mp4", "_Com7.mp4"},
                    WindowsCase{"PortWithoutNumber", "com.mp4", "com.mp4"},
                    WindowsCase{"LongerWord", "console.mp4", "console.mp4"},
                    WindowsCase{"TrailingDotsAndBlanks", "clip.mp4. .", "clip.mp4"},
                    WindowsCase{"OnlyDots", "...", "Enter File Name"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FileNameCase {
    const char* name;
    std::string title;
    std::string link;
    std::string extension;
    std::string type;
    std::string file_name;
};

void PrintTo(const FileNameCase& c, std::ostream* out) { *out << c.name; }

class NameOfFileTest : public testing::TestWithParam<FileNameCase> {};

TEST_P(NameOfFileTest, NeverLeavesTheFileWithoutAnExtensionItCanTell) {
    const FileNameCase& c = GetParam();
    EXPECT_EQ(NameOfFile(c.title, c.link, {}, kSiteGeneral, c.extension, c.type), c.file_name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameOfFileTest,
    testing::Values(
        FileNameCase{"TitleWithItsExtension", "Talk 1.2", "http://h/v", ".webm", "video/mp4",
                     "Talk 1.2.webm"},
        FileNameCase{"TitleWithoutOneTakesTheType's", "Talk", "http://h/v", "", "video/webm",
                     "Talk.webm"},
        FileNameCase{"TitleOfNoKnownTypeIsAnMp4", "Talk", "http://h/v", "", "", "Talk.mp4"},
        FileNameCase{"LinkWithoutAnExtensionTakesTheType's", "", "http://h/dl?id=42", "",
                     "video/mp4", "dl.mp4"},
        FileNameCase{"LinkWithOneKeepsIt", "", "http://h/clip.flv", "", "video/mp4", "clip.flv"},
        FileNameCase{"LinkOfAnUnknownTypeStaysAsItIs", "", "http://h/dl", "",
                     "application/octet-stream", "dl"}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::erase(name, '\'');
        return name;
    });

} // namespace
} // namespace tarnwick::resolve
