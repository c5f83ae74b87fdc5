// yt-dlp asked for the pages the page reader finds nothing in, on the fake
// network with a fake yt-dlp the test answers as it likes.
#include "driver/run_harness.h"
#include "fakes/fake_child_processes.h"
#include "html/libxml_html_parser.h"
#include "list/reason_texts.h"
#include "resolve/kept_choice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace tarnwick::driver {
namespace {

constexpr const char* kPage = "http://site.test/watch/1";
constexpr const char* kVideo = "http://cdn.test/v/1.mp4";
constexpr const char* kYtDlp = "/home/u/.local/bin/yt-dlp";

std::string OneFormat(const std::string& url) {
    return R"({"title":"My Clip","formats":[{"url":")" + url +
           R"(","ext":"mp4","protocol":"https","vcodec":"avc1","acodec":"mp4a",)"
           R"("http_headers":{"User-Agent":"UA/1","Referer":"http://site.test/","Range":"x"}}]})";
}

class YtDlpJobTest : public RunHarness {
protected:
    YtDlpJobTest() {
        std::filesystem::create_directory(folder.File("videos"));
        children.programs["yt-dlp"] = kYtDlp;
        http.Route(kPage, fakes::FakeReply::Page("<html><title>t</title><p>no video</p></html>"));
        http.Route(kVideo, VideoReply("the-video"));
    }

    list::ItemKey AddPage(const std::string& page = kPage) {
        EXPECT_EQ(list::AddVideoURL(queue, page, true), list::DownloadQueue::AddResult::kAdded);
        return queue.LastKey();
    }
    // The i-th child started, which must be yt-dlp asked for the page.
    fakes::FakeChildProcesses::Started& Asked(size_t i) {
        const auto& asked = *children.started.at(i);
        EXPECT_EQ(asked.request.program, kYtDlp);
        return *children.started.at(i);
    }
    // Ends the last yt-dlp started that asks for a page (not its version).
    void Answer(platform::ChildEnd end) {
        for (size_t i = children.started.size(); i-- > 0;) {
            if (children.started[i]->request.arguments.at(0) == "-J") {
                children.End(i, std::move(end));
                Settle();
                return;
            }
        }
        ADD_FAILURE() << "yt-dlp was not asked";
    }
    size_t Asks() const {
        size_t asks = 0;
        for (const auto& child : children.started) asks += child->request.arguments.at(0) == "-J";
        return asks;
    }
    std::string Reason(list::ItemKey key) { return list::ReasonText(Item(key)); }

    html::LibxmlHtmlParserFactory parsers;
    fakes::FakeChildProcesses children;
    YtDlpTool tool{children, [] { return std::chrono::sys_days(std::chrono::days(20000)); }};
    bool uses = true;
    std::vector<std::string> told;
    JobServices with_ytdlp = [this] {
        JobServices with = services;
        with.html_parsers = &parsers;
        with.reads_other_sites = [] { return true; };
        with.children = &children;
        with.ytdlp = &tool;
        with.uses_ytdlp = [this] { return uses; };
        with.tell = [this](const std::string& text) { told.push_back(text); };
        return with;
    }();
    DownloadRun ytdlp_run{with_ytdlp};
};

TEST_F(YtDlpJobTest, ItsChoiceIsDownloadedWithItsHeadersAndNamedByTheTitle) {
    const list::ItemKey key = AddPage();
    ytdlp_run.Start();
    Settle();
    ASSERT_EQ(Asks(), 1u);
    const auto& args = children.started.back()->request.arguments;
    // The address comes last, after "--", so that it cannot pass for an option.
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ(args[args.size() - 2], "--");
    EXPECT_EQ(args.back(), kPage);
    EXPECT_EQ(Item(key).state, list::ItemState::kPreparing);
    EXPECT_EQ(Status(key), "Asking yt-dlp… 0 s");
    clock.Advance(std::chrono::milliseconds(3500));
    EXPECT_EQ(Status(key), "Asking yt-dlp… 3 s") << "the wait is counted as it goes";
    Answer({platform::ChildEnd::Kind::kExited, 0, OneFormat(kVideo)});
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "My Clip.mp4");
    EXPECT_TRUE(std::filesystem::exists(VideoPath("My Clip.mp4")));
    int video_requests = 0;
    for (const auto& exchange : http.exchanges) {
        if (exchange->request.url != kVideo) continue;
        ++video_requests;
        EXPECT_EQ(exchange->request.user_agent, "UA/1");
        EXPECT_THAT(exchange->request.headers, testing::Contains("Referer: http://site.test/"));
        // How the bytes travel is the transfer's own say.
        EXPECT_THAT(exchange->request.headers, testing::Not(testing::Contains("Range: x")));
    }
    EXPECT_GE(video_requests, 1);
    // A finished video keeps no choice to resume.
    EXPECT_TRUE(Item(key).rare->resolved.empty());
}

TEST_F(YtDlpJobTest, ATitleYtDlpMadeUpGivesWayToThePages) {
    const list::ItemKey key = AddPage();
    ytdlp_run.Start();
    Settle();
    std::string answer = OneFormat(kVideo);
    answer.replace(answer.find(R"("My Clip")"), 9,
                   R"("generic video #1","extractor":"generic","id":"1")");
    Answer({platform::ChildEnd::Kind::kExited, 0, answer});
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "t.mp4") << "the page's <title>";
}

TEST_F(YtDlpJobTest, AFormatWithoutAnExtensionItCanUseIsAnMp4) {
    const list::ItemKey key = AddPage();
    ytdlp_run.Start();
    Settle();
    Answer({platform::ChildEnd::Kind::kExited, 0,
            R"({"title":"Bare","formats":[{"url":")" + std::string(kVideo) +
                R"(","ext":"mp4/../../../x"}]})"});
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "Bare.mp4") << "without the type of its answer, an MP4";
}

TEST_F(YtDlpJobTest, AnHlsFormatGoesToTheStreamDownloaderWithItsHeaders) {
    const std::string playlist = "http://cdn.test/hls/v.m3u8";
    http.Route(playlist, fakes::FakeReply::Page("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n"
                                                "p0.ts\n#EXTINF:2,\np1.ts\n#EXT-X-ENDLIST\n"));
    http.Route("http://cdn.test/hls/p0.ts", fakes::FakeReply::Page("piece-0;"));
    http.Route("http://cdn.test/hls/p1.ts", fakes::FakeReply::Page("piece-1;"));
    const list::ItemKey key = AddPage();
    ytdlp_run.Start();
    Settle();
    Answer(
        {platform::ChildEnd::Kind::kExited, 0,
         R"({"title":"Streamed","formats":[{"url":")" + playlist +
             R"(","ext":"mp4","protocol":"m3u8_native","http_headers":{"User-Agent":"UA/2"}}]})"});
    EXPECT_EQ(Status(key), "Complete");
    // Without ffmpeg, the pieces are the video as they came.
    EXPECT_EQ(Name(key), "Streamed.ts");
    std::ifstream in(VideoPath("Streamed.ts"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "piece-0;piece-1;");
    for (const auto& exchange : http.exchanges) {
        if (exchange->request.url.starts_with("http://cdn.test/")) {
            EXPECT_EQ(exchange->request.user_agent, "UA/2") << exchange->request.url;
        }
    }
}

TEST_F(YtDlpJobTest, ItsFailuresBecomeTheReason) {
    struct Case {
        platform::ChildEnd end;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{platform::ChildEnd::Kind::kExited, 1, "",
          "WARNING: slow\nERROR: [generic] Unsupported URL: http://site.test/watch/1\n"},
         "yt-dlp: [generic] Unsupported URL: http://site.test/watch/1"},
        {{platform::ChildEnd::Kind::kTooMuchOutput}, "yt-dlp: its answer is larger than 16 MiB"},
        {{platform::ChildEnd::Kind::kExited, 0, "[1,2]"}, "yt-dlp: its answer could not be read"},
        {{platform::ChildEnd::Kind::kExited, 0, R"({"title":"x","formats":[{"url":"ftp://a/b"}]})"},
         "No video was found in the page"},
        {{platform::ChildEnd::Kind::kExited, 0,
          R"({"title":"x","is_live":true,"url":"http://a/b"})"},
         "This is a live stream, which Tarnwick does not record"},
    };
    for (const Case& c : cases) {
        const list::ItemKey key = AddPage(kPage + std::string("?") + std::to_string(queue.Count()));
        http.Route(Item(key).page_address, fakes::FakeReply::Page("<html><p>none</p></html>"));
        ytdlp_run.Start();
        Settle();
        Answer(c.end);
        EXPECT_EQ(Status(key), "ERROR") << c.reason;
        EXPECT_EQ(Reason(key), c.reason);
    }
}

TEST_F(YtDlpJobTest, StopAndTheTimeLimitKillItAtOnce) {
    const list::ItemKey key = AddPage();
    ytdlp_run.Start();
    Settle();
    ASSERT_EQ(Asks(), 1u);
    ytdlp_run.Stop();
    EXPECT_TRUE(children.started.back()->killed);
    EXPECT_EQ(Status(key), "Cancelled");

    // Started again, it is asked again, and given a minute.
    ytdlp_run.Start();
    Settle();
    ASSERT_EQ(Asks(), 2u);
    clock.Advance(kYtDlpTimeLimit - platform::Duration(1));
    EXPECT_TRUE(children.started.back()->running);
    clock.Advance(platform::Duration(1));
    Settle();
    EXPECT_TRUE(children.started.back()->killed);
    EXPECT_EQ(Reason(key), "yt-dlp: it gave no answer within a minute");
}

TEST_F(YtDlpJobTest, NotAskedWhenSwitchedOffOrMissing) {
    uses = false;
    const list::ItemKey off = AddPage();
    ytdlp_run.Start();
    Settle();
    EXPECT_EQ(Reason(off), "No video was found in the page");
    uses = true;
    children.programs.clear();
    const list::ItemKey missing = AddPage("http://site.test/watch/2");
    http.Route("http://site.test/watch/2", fakes::FakeReply::Page("<html><p>none</p></html>"));
    ytdlp_run.Start();
    Settle();
    EXPECT_EQ(Reason(missing), "No video was found in the page");
    EXPECT_EQ(Asks(), 0u);
}

TEST_F(YtDlpJobTest, APlaylistListsItsEntriesInItsPlace) {
    const list::ItemKey playlist = AddPage();
    list::AddVideoURL(queue, "http://other.test/b", true);
    ytdlp_run.Start();
    Settle();
    Answer({platform::ChildEnd::Kind::kExited, 0,
            R"({"_type":"playlist","title":"Best Of","entries":[)"
            R"({"url":"http://site.test/watch/a","title":"First"},{"url":"http://other.test/b"},)"
            R"({"url":"http://site.test/watch/c"}]})"});
    EXPECT_EQ(queue.Find(playlist), nullptr);
    ASSERT_EQ(queue.Count(), 3);
    EXPECT_EQ(queue.At(1).page_address, "http://site.test/watch/a");
    EXPECT_EQ(queue.At(1).rare->title, "First") << "to name its file by";
    EXPECT_EQ(queue.At(2).page_address, "http://site.test/watch/c");
    EXPECT_THAT(told, testing::Contains("Added 2 videos from Best Of"));
}

// The first entry's yt-dlp is asked about the next entries too; each takes
// its answer at its turn, and one it found nothing for asks alone, to say why.
TEST_F(YtDlpJobTest, APlaylistsNextEntriesAreAskedAboutWithTheFirst) {
    JobServices ahead = with_ytdlp;
    ahead.resolve_ahead = true;
    DownloadRun run_ahead{ahead};
    const std::vector<std::string> ids = {"a", "b", "c", "d"};
    std::string entries;
    for (const std::string& id : ids) {
        http.Route("http://site.test/watch/" + id, fakes::FakeReply::Page("<p>no video</p>"));
        http.Route("http://cdn.test/v/" + id + ".mp4", VideoReply(id));
        entries += std::string(entries.empty() ? "" : ",") + R"({"url":"http://site.test/watch/)" +
                   id + R"("})";
    }
    AddPage();
    run_ahead.Start();
    Settle();
    Answer({platform::ChildEnd::Kind::kExited, 0,
            R"({"_type":"playlist","title":"Four","entries":[)" + entries + "]}"});
    ASSERT_EQ(Asks(), 2u) << "the others wait for the first entry's answer";
    const auto& args = children.started.back()->request.arguments;
    EXPECT_THAT(std::vector<std::string>(args.end() - 5, args.end()),
                testing::ElementsAre("--", "http://site.test/watch/a", "http://site.test/watch/b",
                                     "http://site.test/watch/c", "http://site.test/watch/d"));
    Answer({platform::ChildEnd::Kind::kExited, 1,
            OneFormat("http://cdn.test/v/a.mp4") + "\n" + OneFormat("http://cdn.test/v/b.mp4") +
                "\nnull\n" + OneFormat("http://cdn.test/v/d.mp4") + "\n",
            "ERROR: [generic] gone\n"});
    ASSERT_EQ(Asks(), 3u);
    EXPECT_EQ(children.started.back()->request.arguments.back(), "http://site.test/watch/c");
    Answer({platform::ChildEnd::Kind::kExited, 1, "", "ERROR: [generic] c is private\n"});
    EXPECT_FALSE(run_ahead.IsRunning());
    EXPECT_THAT(Statuses(), testing::ElementsAre("Complete", "Complete", "ERROR", "Complete"));
    EXPECT_THAT(Reason(queue.At(2).key), testing::HasSubstr("c is private"));
    EXPECT_EQ(Asks(), 3u);
}

// What completed is known to the history by yt-dlp's identity, its file and
// its time; a playlist's entry downloaded before is left out and counted.
TEST_F(YtDlpJobTest, ACompletionIsKnownByItsIdentityAndAPlaylistLeavesOutWhatCameBefore) {
    JobServices with = with_ytdlp;
    with.wall_seconds = [] { return int64_t{1796817600}; };
    with.add_address = [this](const std::string& address, const std::string& identity) {
        if (identity == "vimeo 9") return list::DownloadQueue::AddResult::kDownloadedBefore;
        return list::AddVideoURL(queue, address, true);
    };
    DownloadRun run{with};
    const list::ItemKey key = AddPage();
    run.Start();
    Settle();
    std::string answer = OneFormat(kVideo);
    answer.insert(1, R"("extractor_key":"Generic","id":"clip-1",)");
    Answer({platform::ChildEnd::Kind::kExited, 0, answer});
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_EQ(Item(key).rare->identity, "generic clip-1");
    EXPECT_EQ(Item(key).rare->completed_path, VideoPath("My Clip.mp4"));
    EXPECT_EQ(Item(key).rare->completed_at, 1796817600);

    AddPage("http://site.test/list");
    run.Start();
    Settle();
    Answer({platform::ChildEnd::Kind::kExited, 0,
            R"({"_type":"playlist","title":"Two","entries":[)"
            R"({"url":"http://site.test/watch/a","ie_key":"Vimeo","id":"9"},)"
            R"({"url":"http://site.test/watch/b","ie_key":"Vimeo","id":"10"}]})"});
    EXPECT_EQ(queue.At(queue.Count() - 1).page_address, "http://site.test/watch/b");
    EXPECT_EQ(queue.At(queue.Count() - 1).rare->origin, list::Origin::kPlaylist);
    EXPECT_THAT(told,
                testing::Contains("Added 1 videos from Two; 1 downloaded before were left out"));
}

TEST_F(YtDlpJobTest, ABrowsersItemIsAskedWithItsLoginInAPrivateCookieFileGoneAfterwards) {
    handoff::BrowserCookie cookie;
    cookie.name = "sid";
    cookie.value = "s3cret";
    cookie.domain = "site.test";
    const list::ItemKey key = AddPage();
    queue.Modify(key, [&](list::DownloadItem& i) {
        i.rare->context = {kPage, "http://site.test/list", "BrowserAgent/1", {cookie}};
    });
    with_ytdlp.logins = [this] { return UserLogins{{}, "firefox", folder.File("videos")}; };
    DownloadRun run{with_ytdlp};
    run.Start();
    Settle();
    ASSERT_EQ(Asks(), 1u);
    const std::vector<std::string> args = children.started.back()->request.arguments;
    const auto after = [&](const std::string& option) {
        const auto at = std::find(args.begin(), args.end(), option);
        return at == args.end() || at + 1 == args.end() ? std::string() : *(at + 1);
    };
    EXPECT_EQ(after("--referer"), "http://site.test/list");
    EXPECT_EQ(after("--user-agent"), "BrowserAgent/1");
    EXPECT_EQ(after("--cookies-from-browser"), "firefox");
    const std::string jar = after("--cookies");
    ASSERT_FALSE(jar.empty());
    EXPECT_EQ(std::filesystem::status(jar).permissions(), std::filesystem::perms(0600));
    EXPECT_THAT(handoff::ParseNetscapeFile(test_support::ReadWholeFile(jar)),
                testing::ElementsAre(cookie));
    EXPECT_LT(std::find(args.begin(), args.end(), "--cookies"),
              std::find(args.begin(), args.end(), "--"))
        << "options before the address";
    Answer({platform::ChildEnd::Kind::kExited, 0, OneFormat(kVideo)});
    EXPECT_FALSE(std::filesystem::exists(jar)) << "removed once yt-dlp has answered";
    EXPECT_EQ(Status(key), "Complete");
    for (const auto& exchange : http.exchanges) {
        EXPECT_EQ(exchange->request.cookies.size(), 1u) << exchange->request.url;
    }
}

TEST_F(YtDlpJobTest, TheTitleAnItemWasListedWithNamesAFileThatHasNone) {
    list::AddVideoURL(queue, kVideo, true);
    const list::ItemKey key = queue.LastKey();
    queue.Modify(key, [](list::DownloadItem& i) { i.rare->title = "Listed: Title"; });
    ytdlp_run.Start();
    Settle();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "Listed Title.mp4");
}

TEST_F(YtDlpJobTest, AKeptChoiceResumesWithoutAskingAndAsksOnceMoreWhenItsLinkExpired) {
    resolve::YtDlpChoice kept;
    kept.video.url = kVideo;
    kept.video.headers = {{"User-Agent", "UA/1"}};
    kept.video.ext = "mp4";
    kept.file_name = "Kept.mp4";
    const list::ItemKey key = AddPage();
    queue.Modify(key, [&](list::DownloadItem& i) { i.rare->resolved = resolve::KeepChoice(kept); });
    ytdlp_run.Start();
    Settle();
    EXPECT_EQ(Asks(), 0u);
    EXPECT_EQ(Requests(kPage), 0);
    EXPECT_EQ(Status(key), "Complete");

    const list::ItemKey expired = AddPage("http://site.test/watch/2");
    kept.video.url = "http://cdn.test/old";
    http.Route(kept.video.url, fakes::FakeReply::Status(403));
    queue.Modify(expired,
                 [&](list::DownloadItem& i) { i.rare->resolved = resolve::KeepChoice(kept); });
    ytdlp_run.Start();
    Settle();
    ASSERT_EQ(Asks(), 1u);
    Answer({platform::ChildEnd::Kind::kExited, 0, OneFormat(kVideo)});
    EXPECT_EQ(Status(expired), "Complete");
}

TEST(KeptChoiceTest, ReadsBackWhatItKeptAndRefusesWhatIsNoChoice) {
    resolve::YtDlpChoice choice;
    choice.video = {.url = "https://a.test/v",
                    .headers = {{"Cookie", "a=\"b\"\n"}},
                    .kind = resolve::PartKind::kHls,
                    .ext = "mp4",
                    .format_id = "hls-720",
                    .size = 1234};
    choice.audio.emplace();
    choice.audio->url = "http://a.test/s";
    choice.audio->ext = "m4a";
    choice.join_container = "mp4";
    choice.file_name = "Clip \u00e9.mp4";
    EXPECT_EQ(resolve::ReadKeptChoice(resolve::KeepChoice(choice)), choice);
    choice.audio.reset();
    choice.sound = {resolve::SoundOnly::kMp3, false, 128, true, "T", "A", 61000};
    choice.subtitles = {
        {{"pt-br", "https://s.test/p.vtt", "vtt"}, {"es", "https://s.test/es.m3u8", "vtt", true}},
        {"de"}};
    EXPECT_EQ(resolve::ReadKeptChoice(resolve::KeepChoice(choice)), choice);
    choice.subtitles.chosen[0].language = "../x";
    EXPECT_EQ(resolve::ReadKeptChoice(resolve::KeepChoice(choice))->subtitles.chosen.size(), 1u)
        << "a language that is no code names no file";
    EXPECT_FALSE(resolve::ReadKeptChoice(""));
    EXPECT_FALSE(resolve::ReadKeptChoice(R"({"video":{"url":"file:///etc/passwd"}})"));
    EXPECT_FALSE(resolve::ReadKeptChoice(R"({"video":{"url":"http://a"},"audio":{}})"));
}

} // namespace
} // namespace tarnwick::driver
