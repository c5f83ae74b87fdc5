#include "resolve/sites/extract_link.h"

#include "resolve/site_index.h"
#include "resolve/sites/extractors.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::resolve {
namespace {

constexpr int kSitesWithExtractor[] = {kSiteGoogleVideo, kSiteYouTube,    kSiteBolt,
                                       kSiteMySpace,     kSiteAngryAlien, kSiteThatVideoSite,
                                       kSiteIFilm,       kSiteBreak,      kSiteBlipTv,
                                       kSiteDailyMotion, kSitePutFile,    kSiteZippyVideos};

TEST(ExtractorDispatch, EachSiteHasItsOwnExtractor) {
    EXPECT_EQ(ExtractorFor(kSiteGoogleVideo), &GetGoogleVideoLink);
    EXPECT_EQ(ExtractorFor(kSiteYouTube), &GetYouTubeLink);
    EXPECT_EQ(ExtractorFor(kSiteBolt), &GetBoltLink);
    EXPECT_EQ(ExtractorFor(kSiteMySpace), &GetMySpaceLink);
    EXPECT_EQ(ExtractorFor(kSiteAngryAlien), &GetAngryAlienLink);
    EXPECT_EQ(ExtractorFor(kSiteThatVideoSite), &GetThatVideoSiteLink);
    EXPECT_EQ(ExtractorFor(kSiteIFilm), &GetIFilmLink);
    EXPECT_EQ(ExtractorFor(kSiteBreak), &GetBreakLink);
    EXPECT_EQ(ExtractorFor(kSiteBlipTv), &GetBlipTvLink);
    EXPECT_EQ(ExtractorFor(kSiteDailyMotion), &GetDailyMotionLink);
    EXPECT_EQ(ExtractorFor(kSitePutFile), &GetPutFileLink);
    EXPECT_EQ(ExtractorFor(kSiteZippyVideos), &GetZippyVideosLink);
}

TEST(ExtractorDispatch, IndexWithoutExtractorGivesEmpty) {
    const std::string page = "<embed src=\"http://x/a.flv\"> http://x/b.flv";
    for (const int index : {kSiteNone, 0, 7, 14, 1000}) {
        EXPECT_EQ(ExtractorFor(index), nullptr) << index;
        EXPECT_EQ(ExtractLink(index, "http://x/video/1?videoid=123456", page), "") << index;
    }
}

TEST(ExtractorDispatch, EmptyPageGivesEmptyEvenForAddressOnlySites) {
    EXPECT_EQ(ExtractLink(kSiteMySpace, "http://vids.myspace.com/?videoid=123456789", ""), "");
    EXPECT_EQ(ExtractLink(kSiteIFilm, "http://www.ifilm.com/video/2720001", ""), "");
    EXPECT_NE(ExtractLink(kSiteIFilm, "http://www.ifilm.com/video/2720001", " "), "");
}

// Pages and addresses cut off or bent at the places where the site rules
// compute positions and lengths: every site answers empty, none throws.
TEST(ExtractorDispatch, OutOfRangePositionsGiveEmpty) {
    const char* pages[] = {"\"",
                           "&t=",
                           "new SWFObject video_id=",
                           "new SWFObject video_id=&t=",
                           "ipoddownloadlink href=",
                           "videoUrl http",
                           "sGlobalFileName='",
                           "sGlobalFileName='' sGlobalContentFilePath='",
                           "addVariable(\"url\",",
                           "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"",
                           "<embed src=\"",
                           "<embed src='",
                           "storageId=&userName=&videoId=&srvURL=",
                           ".flv",
                           ".wmv"};
    const char* addresses[] = {"", "watch?v", "watch?v&", "x?videoid=", "x?videoid=1234"};
    for (const int site : kSitesWithExtractor) {
        for (const char* page : pages) {
            for (const char* address : addresses) {
                EXPECT_EQ(ExtractLink(site, address, page), "")
                    << site << " " << page << " " << address;
            }
        }
    }
}

} // namespace
} // namespace tarnwick::resolve
