// Items a browser handed over, through the real HTTP client: every request
// of the item (page, probe, parts, playlist, pieces) goes with the browser's
// referrer, agent and cookies, each cookie only to the host it was set for,
// and what the browser said goes once the item completes.
#include "driver/loopback_harness.h"

#include "list/reason_texts.h"
#include "support/kept_files.h"

#include <string>

namespace tarnwick::driver {
namespace {

using test_support::Answer;
using test_support::ServedFile;

constexpr const char* kOtherHost = "127.0.0.3";

handoff::BrowserCookie Cookie(std::string name, std::string value, std::string domain) {
    handoff::BrowserCookie cookie;
    cookie.name = std::move(name);
    cookie.value = std::move(value);
    cookie.domain = std::move(domain);
    cookie.host_only = true;
    return cookie;
}

class ContextLoopbackTest : public LoopbackRunTest {
protected:
    // Lists the page as the browser hands it over.
    list::ItemKey AddFromBrowser(const std::string& target) {
        list::AddVideoURL(queue, server.Url(target), true);
        queue.Modify(queue.LastKey(), [&](list::DownloadItem& item) {
            item.rare->context = {
                server.Url(target),
                "http://pages.test/list",
                "BrowserAgent/1",
                {Cookie("sid", "s3cret", "127.0.0.1"), Cookie("elsewhere", "x", kOtherHost)}};
        });
        return queue.LastKey();
    }
    // Every request the server had went as the browser would have sent it.
    void ExpectEveryRequestAsTheBrowsers(const test_support::LoopbackServer& at,
                                         const std::string& cookie) {
        ASSERT_FALSE(at.Requests().empty());
        for (const test_support::Request& request : at.Requests()) {
            EXPECT_EQ(request.Header("Referer"), "http://pages.test/list") << request.target;
            EXPECT_EQ(request.Header("User-Agent"), "BrowserAgent/1") << request.target;
            EXPECT_EQ(request.Header("Cookie"), cookie) << request.target;
        }
    }
};

TEST_F(ContextLoopbackTest, EveryRequestOfAFileInPartsGoesWithTheBrowsersReferrerAgentAndCookies) {
    server.Serve("/watch", Answer::Http(200, "OK", {"Content-Type: text/html"},
                                        "<video src='/media/clip.mp4'></video>"));
    ServedFile video;
    video.size = 3'000'000;
    server.ServeFile("/media/clip.mp4", video);
    connections = 4;
    const list::ItemKey key = AddFromBrowser("/watch");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_GT(server.Requests().size(), 3u) << "page, probe and several parts";
    ExpectEveryRequestAsTheBrowsers(server, "sid=s3cret");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("clip.mp4")) == test_support::FileBytes(video));
    EXPECT_TRUE(Item(key).rare->context.empty()) << "nothing of the login outlives the download";
}

TEST_F(ContextLoopbackTest, AStreamsPlaylistsAndPiecesOnAnotherHostGetThatHostsCookieOnly) {
    test_support::LoopbackServer other(kOtherHost);
    server.Serve("/watch", Answer::Http(200, "OK", {"Content-Type: text/html"},
                                        "<video><source src='" + other.Url("/hls/index.m3u8") +
                                            "' type='application/vnd.apple.mpegurl'></video>"));
    other.Serve("/hls/index.m3u8",
                Answer::Http(200, "OK", {"Content-Type: application/vnd.apple.mpegurl"},
                             "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXTINF:4,\nseg0.ts\n"
                             "#EXTINF:4,\nseg1.ts\n#EXT-X-ENDLIST\n"));
    other.Serve("/hls/seg0.ts", Answer::Http(200, "OK", {}, std::string(5000, 'a')));
    other.Serve("/hls/seg1.ts", Answer::Http(200, "OK", {}, std::string(7, 'b')));
    const list::ItemKey key = AddFromBrowser("/watch");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    ExpectEveryRequestAsTheBrowsers(server, "sid=s3cret");
    ExpectEveryRequestAsTheBrowsers(other, "elsewhere=x");
}

} // namespace
} // namespace tarnwick::driver
