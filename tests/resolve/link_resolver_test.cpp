#include "resolve/link_resolver.h"

#include "curl/curl_http_client.h"
#include "driver/transfer_event_handler.h"
#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/listing_harness.h"
#include "fakes/scripted_message_box.h"
#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::resolve {
namespace {

using test_support::Answer;

std::string Fixture(const std::string& name) {
    return test_support::ReadWholeFile(std::string(TARNWICK_FIXTURE_DIR) + "/sites/" + name);
}

class LinkResolverTest : public testing::Test, protected fakes::ListingHarness {
protected:
    LinkResolverTest() { download.SetEvents(&handler); }

    std::string ServePage(const std::string& target, const std::string& page) {
        server.Serve(target, Answer::Http(200, "OK", {"Content-Type: text/html"}, page));
        return server.Url(target);
    }

    test_support::TempFolder folder;
    test_support::LoopbackServer server;
    platform::curl::CurlHttpClient client{pump};
    transfer::Download download{client, pump};
    driver::TransferEventHandler handler{state, list, grid, listing, download};
    LinkResolver resolver{state, download, folder.File("cache/Parse.wvi")};
};

TEST_F(LinkResolverTest, AnUnsupportedAddressCostsNoRequest) {
    EXPECT_EQ(resolver.GetDownloadLink(server.Url("/example.org/video")), "-1");
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(LinkResolverTest, AnUnreachableServerGivesMinusTwo) {
    const std::string address =
        "http://127.0.0.1:" + std::to_string(test_support::UnusedPort()) + "/youtube.com/watch?v=1";
    EXPECT_EQ(resolver.GetDownloadLink(address), "-2");
    EXPECT_EQ(state.TransferResult, "Could not find URL");
    EXPECT_FALSE(state.Preparing);
}

TEST_F(LinkResolverTest, AnErrorPageOrAPageWithoutMarkersGivesZero) {
    server.Serve("/putfile.com/gone", Answer::Http(404, "Not Found", {}, "<h1>Not Found</h1>"));
    EXPECT_EQ(resolver.GetDownloadLink(server.Url("/putfile.com/gone")), "0");
    EXPECT_EQ(resolver.GetDownloadLink(ServePage("/putfile.com/plain", Fixture("no_markers.html"))),
              "0");
}

TEST_F(LinkResolverTest, TheSecondExtractionSeesOnlyTheSecondPage) {
    const std::string long_page = std::string(100000, ' ') +
                                  "<a href='http://media.example/long.flv'>" +
                                  std::string(100, ' ');
    EXPECT_EQ(resolver.GetDownloadLink(ServePage("/putfile.com/long", long_page)),
              "http://media.example/long.flv");
    EXPECT_EQ(resolver.GetDownloadLink(ServePage("/putfile.com/short", "<p>nothing here</p>")),
              "0");
}

TEST_F(LinkResolverTest, APageOverTheLimitIsNotFetched) {
    server.Serve("/putfile.com/endless",
                 Answer().Head("HTTP/1.1 200 OK\r\n\r\n").GeneratedBody(kPageSizeLimit + 1));
    EXPECT_EQ(resolver.GetDownloadLink(server.Url("/putfile.com/endless")), "-2");
    EXPECT_EQ(state.TransferResult, "Could not read URL");
}

TEST_F(LinkResolverTest, APageFileThatCannotBeWrittenReachesTheCallerWithPreparingCleared) {
    test_support::WriteWholeFile(folder.File("blocked"), "a file, not a folder");
    LinkResolver blocked(state, download, folder.File("blocked/Parse.wvi"));
    const std::string address = ServePage("/putfile.com/1", "<a href='http://x/y.flv'>");
    EXPECT_ANY_THROW(blocked.GetDownloadLink(address));
    EXPECT_FALSE(state.Preparing);
}

struct SiteCase {
    const char* name;
    const char* target; // the page address's path and query on the server
    const char* fixture;
};

class LinkForEachSite : public LinkResolverTest, public testing::WithParamInterface<SiteCase> {};

TEST_P(LinkForEachSite, FetchesThePageAndHandsItToItsExtractor) {
    const std::string page = Fixture(GetParam().fixture);
    const std::string address = ServePage(GetParam().target, page);
    const std::string expected = ExtractLink(GetSiteIndex(address), address, page);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(resolver.GetDownloadLink(address), expected);
    EXPECT_EQ(test_support::ReadWholeFile(resolver.PageFile()), page);
}

INSTANTIATE_TEST_SUITE_P(
    Sites, LinkForEachSite,
    testing::Values(
        SiteCase{"GoogleVideo", "/video.google.com/videoplay?docid=1", "google_video_ipod.html"},
        SiteCase{"YouTube", "/youtube.com/watch?v=AbC&mode=related", "youtube_watch.html"},
        SiteCase{"MySpace", "/myspace.com/index.cfm?videoid=abcdefghi", "myspace_video.html"},
        SiteCase{"AngryAlien", "/angryalien.com/0504/bunnies.asp", "angry_alien_player.html"},
        SiteCase{"ThatVideoSite", "/thatvideosite.com/video/1", "that_video_site_player.html"},
        SiteCase{"IFilm", "/ifilm.com/video/2720001/trailer", "no_markers.html"},
        SiteCase{"Break", "/break.com/index/funny.html", "break_player.html"},
        SiteCase{"BlipTv", "/blip.tv/file/1", "blip_permalink.html"},
        SiteCase{"DailyMotion", "/dailymotion.com/video/x1", "daily_motion_player.html"},
        SiteCase{"PutFile", "/putfile.com/v/1", "put_file_flv.html"},
        SiteCase{"ZippyVideos", "/zippyvideos.com/1", "zippy_videos_player.html"}),
    [](const testing::TestParamInfo<SiteCase>& info) { return info.param.name; });

TEST_F(LinkResolverTest, BoltFindsItsOwnAddressInThePage) {
    const std::string address = server.Url("/bolt.com/video/77");
    ServePage("/bolt.com/video/77", "<input readonly Value=\"[url=" + address +
                                        "][IMG]http://images.bolt.com/image/77_thumb.jpg[/IMG]\">");
    EXPECT_EQ(resolver.GetDownloadLink(address), "http://images.bolt.com/movie/77.flv");
}

} // namespace
} // namespace tarnwick::resolve
