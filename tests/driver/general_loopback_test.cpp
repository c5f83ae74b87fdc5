// Addresses of no supported site, through the real HTTP client and HTML
// parser: a page that carries a video, a video file's own address, and an
// address that answers with a video, each downloaded byte for byte.
#include "driver/loopback_harness.h"
#include "list/reason_texts.h"
#include "support/kept_files.h"

#include <string>

namespace tarnwick::driver {
namespace {

using test_support::Answer;
using test_support::ServedFile;

class GeneralLoopbackTest : public LoopbackRunTest {
protected:
    list::ItemKey AddGeneral(const std::string& target) {
        list::AddVideoURL(queue, server.Url(target), true);
        return queue.LastKey();
    }
    int Gets(const std::string& target) const {
        int count = 0;
        for (const test_support::Request& request : server.Requests()) {
            count += request.method == "GET" && request.target == target ? 1 : 0;
        }
        return count;
    }
    static ServedFile Served(uint64_t size, uint64_t offset) {
        ServedFile video;
        video.size = size;
        video.offset = offset;
        return video;
    }
};

TEST_F(GeneralLoopbackTest, APageWithAVideoTagGivesItsVideoNamedByItsTitle) {
    server.Serve("/news/story",
                 Answer::Http(200, "OK", {"Content-Type: text/html; charset=utf-8"},
                              "<!doctype html><title>Story</title><meta property='og:title' "
                              "content='Harbour | the tour'><article><video controls "
                              "src='/media/clip.mp4' width=640></video></article>"));
    const ServedFile video = Served(150000, 5);
    server.ServeFile("/media/clip.mp4", video);
    const list::ItemKey key = AddGeneral("/news/story");
    EXPECT_EQ(Status(key), "Waiting");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "Harbour the tour.mp4");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("Harbour the tour.mp4")) ==
                test_support::FileBytes(video));
}

TEST_F(GeneralLoopbackTest, AQualityCapTakesTheTallestSourceAtOrBelowIt) {
    server.Serve("/news/story", Answer::Http(200, "OK", {"Content-Type: text/html"},
                                             "<video><source src='/media/720.mp4' size='720'>"
                                             "<source src='/media/360.mp4' label='360p'></video>"));
    server.ServeFile("/media/720.mp4", Served(7000, 0));
    const ServedFile small = Served(3000, 9);
    server.ServeFile("/media/360.mp4", small);
    const list::ItemKey key = AddGeneral("/news/story");
    JobServices capped = services;
    capped.preferences = [] { return resolve::QualityPreferences{480}; };
    DownloadRun capped_run{capped};
    capped_run.Start();
    ASSERT_TRUE(RunUntil([&] { return !capped_run.IsRunning(); }));
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(Gets("/media/720.mp4"), 0);
    EXPECT_TRUE(test_support::ReadWholeFile(Video("360.mp4")) == test_support::FileBytes(small));
}

TEST_F(GeneralLoopbackTest, OtherSitesAreAskedAsABrowserWouldAndTheTwelveSitesAsEver) {
    server.Serve("/news/story", Answer::Http(200, "OK", {"Content-Type: text/html"},
                                             "<video src='/media/clip.mp4'></video>"));
    server.ServeFile("/media/clip.mp4", Served(1000, 0));
    const list::ItemKey general = AddGeneral("/news/story");
    const list::ItemKey site = AddVideo("clip.flv", VideoAnswer("video"));
    RunToTheEnd();
    ASSERT_EQ(Status(general), "Complete");
    ASSERT_EQ(Status(site), "Complete");
    // The story's probe and page, its video's probe and file; the site's page,
    // probe and video.
    ASSERT_EQ(server.Requests().size(), 7u);
    for (const test_support::Request& request : server.Requests()) {
        const bool of_the_site =
            request.target.starts_with("/putfile.com/") || request.target.starts_with("/v/");
        EXPECT_EQ(request.Header("User-Agent"), of_the_site ? kUserAgent : kBrowserUserAgent)
            << request.method << " " << request.target;
    }
}

TEST_F(GeneralLoopbackTest, RelativeAddressesResolveAgainstWhereARedirectTookThePage) {
    server.Serve("/watch/12", Answer::Http(301, "Moved Permanently", {"Location: /watch/12/"}));
    server.Serve("/watch/12/", Answer::Http(200, "OK", {"Content-Type: text/html"},
                                            "<video src='v.mp4'></video>"));
    const ServedFile video = Served(70000, 2);
    server.ServeFile("/watch/12/v.mp4", video);
    const list::ItemKey key = AddGeneral("/watch/12");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("v.mp4")) == test_support::FileBytes(video));
}

TEST_F(GeneralLoopbackTest, AVideoFilesOwnAddressIsItsLink) {
    const ServedFile video = Served(120000, 9);
    server.ServeFile("/files/film.MP4", video);
    const list::ItemKey key = AddGeneral("/files/film.MP4");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "film.MP4");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("film.MP4")) == test_support::FileBytes(video));
}

TEST_F(GeneralLoopbackTest, AnAddressAnsweredWithAVideoIsItsLink) {
    std::string body(90000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = test_support::GeneratedByte(i + 17);
    server.Serve("/stream/42", Answer::Http(200, "OK", {"Content-Type: video/mp4"}, body));
    const list::ItemKey key = AddGeneral("/stream/42");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "42.mp4") << "the extension of its type";
    EXPECT_TRUE(test_support::ReadWholeFile(Video("42.mp4")) == body);
}

TEST_F(GeneralLoopbackTest, APageRequestAnsweredWithAVideoBecomesTheTransfer) {
    std::string body(200000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = test_support::GeneratedByte(i + 3);
    // A HEAD gets no answer at all; the page's GET brings the video itself.
    server.Serve("/watch",
                 Answer().Body("HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\n"
                               "Content-Disposition: attachment; filename=\"talk.mp4\"\r\n"
                               "Content-Length: 200000\r\n\r\n" +
                               body));
    const list::ItemKey key = AddGeneral("/watch");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "talk.mp4");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("talk.mp4")) == body);
    EXPECT_EQ(Gets("/watch"), 1) << "the video came once, through the page's own request";
}

TEST_F(GeneralLoopbackTest, ADownloadThatNamesNoVideoIsFetchedOnceAsTheFile) {
    std::string binary(300000, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = test_support::GeneratedByte(i + 11);
    server.Serve("/files/big.bin",
                 Answer::Http(200, "OK", {"Content-Type: application/octet-stream"}, binary));
    const std::string video = binary.substr(0, 70000);
    server.Serve("/dl?id=42", Answer::Http(200, "OK", {"Content-Type: video/mp4"}, video));
    const list::ItemKey bin = AddGeneral("/files/big.bin");
    const list::ItemKey dl = AddGeneral("/dl?id=42");
    RunToTheEnd();
    ASSERT_EQ(Status(bin), "Complete");
    ASSERT_EQ(Status(dl), "Complete");
    EXPECT_EQ(Gets("/files/big.bin"), 1) << "never read as a page first";
    EXPECT_EQ(Gets("/dl?id=42"), 1);
    EXPECT_EQ(Name(bin), "big.bin");
    EXPECT_EQ(Name(dl), "dl.mp4") << "the extension of its type";
    EXPECT_TRUE(test_support::ReadWholeFile(Video("big.bin")) == binary);
    EXPECT_TRUE(test_support::ReadWholeFile(Video("dl.mp4")) == video);
}

TEST_F(GeneralLoopbackTest, APageRequestCutOffAndTakenAgainLeavesOneFile) {
    std::string body(200000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = test_support::GeneratedByte(i + 5);
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\n"
        "Content-Disposition: attachment; filename=\"talk.mp4\"\r\n"
        "Content-Length: 200000\r\n\r\n";
    server.Serve("/watch", Answer().Body(head + body.substr(0, 80000)).Drop());
    const list::ItemKey key = AddGeneral("/watch");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "ERROR");
    ASSERT_EQ(test_support::KeptBytes(Item(key)), 80000);

    server.Serve("/watch", Answer().Body(head + body));
    queue.Modify(key, [](list::DownloadItem& item) {
        item.state = list::ItemState::kWaiting;
        item.rare->failure.reset();
    });
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("talk.mp4")) == body);
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{"talk.mp4"})
        << "the kept bytes of the first try were left beside the video";
}

TEST_F(GeneralLoopbackTest, AnErrorPageIsNotReadForAVideo) {
    server.Serve("/gone", Answer::Http(404, "Not Found", {"Content-Type: text/html"},
                                       "<h1>Lost at sea</h1><video autoplay muted loop "
                                       "src=/media/hero.mp4></video>"));
    server.ServeFile("/media/hero.mp4", Served(40000, 1));
    const list::ItemKey key = AddGeneral("/gone");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "ERROR");
    EXPECT_EQ(list::ReasonText(Item(key)), "The page could not be fetched (404 Not Found)");
    EXPECT_EQ(Gets("/media/hero.mp4"), 0);
    EXPECT_TRUE(FilesInVideos().empty());
}

} // namespace
} // namespace tarnwick::driver
