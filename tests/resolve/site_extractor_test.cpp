#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"
#include "resolve/sites/media_servers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

namespace tarnwick::resolve {
namespace {

constexpr const char* kSignature = "&s=5A3C19E07B2D4F68:9E1B7C40D2A5F386";

// A fixture page, byte for byte; an unreadable or empty fixture fails the
// test, so that "no link" rows cannot pass on a missing file.
std::string ReadFixture(const std::string& name) {
    const std::string path = std::string(TARNWICK_FIXTURE_DIR) + "/sites/" + name;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    if (!file || content.str().empty()) ADD_FAILURE() << "fixture missing or empty: " << path;
    return content.str();
}

std::string MySpace(const std::string& rest) { return std::string(kMySpaceMediaServer) + rest; }
std::string IFilm(const std::string& rest) { return std::string(kIFilmMediaServer) + rest; }
std::string Break(const std::string& rest) { return std::string(kBreakMediaServer) + rest; }

struct ExtractorCase {
    const char* name;
    int site;
    const char* fixture;
    const char* address;
    std::string link;
};

void PrintTo(const ExtractorCase& c, std::ostream* os) {
    *os << c.name << " (site " << c.site << ", " << c.fixture << ", " << c.address << ")";
}

class SiteExtractor : public testing::TestWithParam<ExtractorCase> {};

TEST_P(SiteExtractor, BuildsTheLinkFromAddressAndPage) {
    const ExtractorCase& c = GetParam();
    EXPECT_EQ(ExtractLink(c.site, c.address, ReadFixture(c.fixture)), c.link);
}

std::string CaseName(const testing::TestParamInfo<ExtractorCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    GoogleVideo, SiteExtractor,
    testing::Values(
        ExtractorCase{"IpodLinkWithAmpEntitiesInAnyCase", kSiteGoogleVideo,
                      "google_video_ipod.html", "http://video.google.com/videoplay?docid=-4021",
                      "http://vp.video.google.com/videodownload?version=0&secureurl=uAAAAbCd"
                      "&sigh=X9kf0Q&begin=0&len=212000&docid=-4021"},
        ExtractorCase{"EscapedPlayerAddressIsDecoded", kSiteGoogleVideo, "google_video_player.html",
                      "http://video.google.com/videoplay?docid=-4021",
                      "http://vp.video.google.com/videodownload?version=0&secureurl=uAAAAbCd"
                      "&docid=-4021&title=Harbour+timelapse"},
        ExtractorCase{"MarkersMissing", kSiteGoogleVideo, "no_markers.html",
                      "http://video.google.com/videoplay?docid=1", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    YouTube, SiteExtractor,
    testing::Values(
        ExtractorCase{
            "WorkedExample", kSiteYouTube, "youtube_watch.html",
            "http://www.youtube.com/watch?v=AbC&mode=related",
            std::string("http://www.youtube.com/get_video?video_id=XyZ&t=OPQ") + kSignature},
        ExtractorCase{"AddressWithoutAmpersandIsWholeBase", kSiteYouTube, "youtube_watch.html",
                      "http://youtube.com/watch?v=AbC",
                      std::string("http://youtube.com/get_video?video_id=XyZ&t=OPQ") + kSignature},
        ExtractorCase{
            "PageIdReplacesEveryAddressId", kSiteYouTube, "youtube_watch.html",
            "http://www.youtube.com/abc/Watch?V=ABC&feature=related",
            std::string("http://www.youtube.com/XyZ/get_video?video_id=XyZ&t=OPQ") + kSignature},
        ExtractorCase{
            "IdFollowedDirectlyByToken", kSiteYouTube, "youtube_id_then_token.html",
            "http://www.youtube.com/watch?v=XyZ",
            std::string("http://www.youtube.com/get_video?video_id=XyZ&t=OPQ") + kSignature},
        ExtractorCase{"TokenMissing", kSiteYouTube, "youtube_no_token.html",
                      "http://www.youtube.com/watch?v=XyZ", ""},
        ExtractorCase{"AddressWithoutWatch", kSiteYouTube, "youtube_watch.html",
                      "http://www.youtube.com/user/kim", ""},
        ExtractorCase{"MarkersMissing", kSiteYouTube, "no_markers.html",
                      "http://www.youtube.com/watch?v=AbC", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Bolt, SiteExtractor,
    testing::Values(
        ExtractorCase{"CutBeforeLastUnderscore", kSiteBolt, "bolt_embed_codes.html",
                      "http://www.bolt.com/video/77", "http://images.bolt.com/movie/77_thumb.flv"},
        ExtractorCase{"CutBeforeLastDotWithoutUnderscore", kSiteBolt, "bolt_embed_codes.html",
                      "http://www.bolt.com/video/78", "http://images.bolt.com/movie/78.flv"},
        ExtractorCase{"NeitherUnderscoreNorDotKeepsWhole", kSiteBolt, "bolt_embed_codes.html",
                      "http://www.bolt.com/video/79", "http://imghost/movie/79.flv"},
        ExtractorCase{"NoSecondFlv", kSiteBolt, "bolt_embed_codes.html",
                      "http://www.bolt.com/video/80", "http://media.bolt.com/movie/80.flv"},
        ExtractorCase{"AddressNotOnPage", kSiteBolt, "bolt_embed_codes.html",
                      "http://www.bolt.com/video/81", ""},
        ExtractorCase{"MarkersMissing", kSiteBolt, "no_markers.html",
                      "http://www.bolt.com/video/77", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    MySpace, SiteExtractor,
    testing::Values(
        ExtractorCase{
            "NineCharacterIdIsPadded", kSiteMySpace, "myspace_video.html",
            "http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=123456789",
            MySpace("0001234/98/76/123456789.flv")},
        ExtractorCase{"FiveCharacterIdGivesSevenZeros", kSiteMySpace, "myspace_video.html",
                      "http://vids.myspace.com/index.cfm?videoid=12345",
                      MySpace("0000000/54/32/12345.flv")},
        ExtractorCase{"TwelveCharacterIdKeepsItsHead", kSiteMySpace, "myspace_video.html",
                      "http://vids.myspace.com/index.cfm?VideoID=123456789012",
                      MySpace("1234567/21/09/123456789012.flv")},
        ExtractorCase{"TrailingParametersStayInId", kSiteMySpace, "myspace_video.html",
                      "http://vids.myspace.com/index.cfm?videoid=123456789&type=video",
                      MySpace("123456789&type=/oe/di/123456789&type=video.flv")},
        ExtractorCase{"IdShorterThanFive", kSiteMySpace, "myspace_video.html",
                      "http://vids.myspace.com/index.cfm?videoid=1234", ""},
        ExtractorCase{"MarkersMissing", kSiteMySpace, "myspace_video.html",
                      "http://vids.myspace.com/index.cfm?fuseaction=vids.individual", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    EmbeddedPlayers, SiteExtractor,
    testing::Values(
        ExtractorCase{"AngryAlienAbsoluteSource", kSiteAngryAlien, "angry_alien_player.html",
                      "http://www.angryalien.com/0504/matrix.asp",
                      "http://www.angryalien.com/media/matrix_bunnies.flv"},
        ExtractorCase{"AngryAlienFirstSourceRelative", kSiteAngryAlien, "angry_alien_relative.html",
                      "http://www.angryalien.com/0504/titanic.asp", ""},
        ExtractorCase{"AngryAlienMarkersMissing", kSiteAngryAlien, "that_video_site_player.html",
                      "http://www.angryalien.com/0504/matrix.asp", ""},
        ExtractorCase{"ThatVideoSiteAbsoluteSource", kSiteThatVideoSite,
                      "that_video_site_player.html", "http://www.thatvideosite.com/video/3051",
                      "http://www.thatvideosite.com/media/3051.flv"},
        ExtractorCase{"ThatVideoSiteFirstSourceRelative", kSiteThatVideoSite,
                      "that_video_site_relative.html", "http://www.thatvideosite.com/video/3052",
                      ""},
        ExtractorCase{"ThatVideoSiteMarkersMissing", kSiteThatVideoSite, "angry_alien_player.html",
                      "http://www.thatvideosite.com/video/3051", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    IFilm, SiteExtractor,
    testing::Values(ExtractorCase{"IdEndsAtSlash", kSiteIFilm, "no_markers.html",
                                  "http://www.ifilm.com/video/2720001/extras",
                                  IFilm("2720001_300.flv")},
                    ExtractorCase{"IdEndsAtQuestionMark", kSiteIFilm, "no_markers.html",
                                  "http://www.ifilm.com/video/2720001?htv=12",
                                  IFilm("2720001_300.flv")},
                    ExtractorCase{"IdRunsToEndOfAddress", kSiteIFilm, "no_markers.html",
                                  "http://www.ifilm.com/video/2720001", IFilm("2720001_300.flv")},
                    ExtractorCase{"MarkersMissing", kSiteIFilm, "no_markers.html",
                                  "http://www.ifilm.com/movies/2720001", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Break, SiteExtractor,
    testing::Values(ExtractorCase{"FolderAndFileName", kSiteBreak, "break_player.html",
                                  "http://break.com/index/dog-on-a-skateboard.html",
                                  Break("2007/3/Dog_On_Skateboard_2.flv")},
                    ExtractorCase{"FolderOnlyBeforeFileName", kSiteBreak, "break_folder_first.html",
                                  "http://break.com/index/goat.html", ""},
                    ExtractorCase{"MarkersMissing", kSiteBreak, "no_markers.html",
                                  "http://break.com/index/goat.html", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    BlipTv, SiteExtractor,
    testing::Values(ExtractorCase{"PermalinkValue", kSiteBlipTv, "blip_permalink.html",
                                  "http://blip.tv/file/12233",
                                  "http://blip.tv/file/get/Sheds-Episode12233.flv"},
                    ExtractorCase{"NineCharacterValueEndsAtItsQuote", kSiteBlipTv,
                                  "blip_nine_character_permalink.html", "http://blip.tv/file/1",
                                  "123456789"},
                    ExtractorCase{"ShortValueRunsToLaterQuote", kSiteBlipTv,
                                  "blip_short_permalink.html", "http://blip.tv/file/1",
                                  "abc\" onclick="},
                    ExtractorCase{"MarkersMissing", kSiteBlipTv, "no_markers.html",
                                  "http://blip.tv/file/1", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    DailyMotion, SiteExtractor,
    testing::Values(
        ExtractorCase{"UrlVariableDecoded", kSiteDailyMotion, "daily_motion_player.html",
                      "http://www.dailymotion.com/video/x5541",
                      "http://www.dailymotion.com/get/14/320x240/flv/5541.flv?key=9f2a+b"},
        ExtractorCase{"MarkersMissing", kSiteDailyMotion, "no_markers.html",
                      "http://www.dailymotion.com/video/x5541", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    PutFile, SiteExtractor,
    testing::Values(ExtractorCase{"FlvPreferredOverEarlierWmv", kSitePutFile, "put_file_flv.html",
                                  "http://media.putfile.com/Sunset-Run",
                                  "http://media.putfile.com/flv/Sunset-Run.FLV"},
                    ExtractorCase{"WmvWhenNoFlv", kSitePutFile, "put_file_wmv.html",
                                  "http://media.putfile.com/Harbour-Lights",
                                  "http://media.putfile.com/wmv/Harbour-Lights.wmv"},
                    ExtractorCase{"MarkersMissing", kSitePutFile, "no_markers.html",
                                  "http://media.putfile.com/Sunset-Run", ""}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    ZippyVideos, SiteExtractor,
    testing::Values(ExtractorCase{"ParametersInAnyOrder", kSiteZippyVideos,
                                  "zippy_videos_player.html", "http://www.zippyvideos.com/99812",
                                  "http://s4.zippyvideos.com/4/kimmy/99812"},
                    ExtractorCase{"MarkersMissing", kSiteZippyVideos, "no_markers.html",
                                  "http://www.zippyvideos.com/99812", ""}),
    CaseName);

} // namespace
} // namespace tarnwick::resolve
