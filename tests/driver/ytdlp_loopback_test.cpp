// yt-dlp run for real: Debian's own, whose generic extractor reads loopback
// pages that the page reader finds nothing in, and stand-in scripts that
// answer as a site's extractor would, or misbehave. What they choose is
// downloaded by our engine from the loopback server.
#include "driver/loopback_harness.h"
#include "driver/ytdlp_tool.h"
#include "list/reason_texts.h"
#include "qt/qt_child_processes.h"
#include "resolve/kept_choice.h"
#include "support/hls_fixtures.h"
#include "support/kept_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <csignal>
#include <fstream>
#include <map>

namespace tarnwick::driver {
namespace {

using test_support::Answer;
using test_support::ServedFile;

// yt-dlp may take some seconds to start on a busy machine.
constexpr int kYtDlpWait = 120'000;

// The system's programs, with yt-dlp found where the test says.
class ChildrenWithYtDlp : public platform::ChildProcesses {
public:
    std::unique_ptr<platform::Child> Start(platform::ChildRequest request, OnEnd on_end) override {
        if (!request.arguments.empty() && request.arguments.front() == "-J") ++asks;
        return real.Start(std::move(request), std::move(on_end));
    }
    int asks = 0;
    std::optional<std::string> Find(std::string_view name) const override {
        if (name == "yt-dlp") return ytdlp;
        return real.Find(name);
    }
    qt::QtChildProcesses real;
    std::optional<std::string> ytdlp;
};

class YtDlpLoopbackTest : public LoopbackRunTest {
protected:
    // A stand-in yt-dlp: a shell script of these lines, of a recent version.
    void StandIn(const std::string& body) {
        const std::string path = folder.File("yt-dlp");
        std::ofstream(path) << "#!/bin/sh\n[ \"$1\" = --version ] && { echo 2099.01.01; exit 0; }\n"
                            << body << "\n";
        ::chmod(path.c_str(), 0755);
        children.ytdlp = path;
    }
    // A stand-in that prints `json` as its answer.
    void StandInAnswering(const std::string& json) {
        std::ofstream(folder.File("answer.json")) << json;
        StandIn("cat '" + folder.File("answer.json") + "'");
    }
    list::ItemKey AddPage(const std::string& target, const std::string& html) {
        server.Serve(target, Answer::Http(200, "OK", {"Content-Type: text/html"}, html));
        list::AddVideoURL(queue, server.Url(target), true);
        return queue.LastKey();
    }
    std::string FileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<test_support::Request> RequestsFor(const std::string& target) {
        std::vector<test_support::Request> found;
        for (const auto& request : server.Requests()) {
            if (request.target == target) found.push_back(request);
        }
        return found;
    }
    bool RunToTheEndWaitingForYtDlp() {
        ytdlp_run.Start();
        return RunUntilLong([this] { return !ytdlp_run.IsRunning(); });
    }
    static bool RunUntilLong(const std::function<bool()>& done) {
        return test_support::RunEventsUntil(done, kYtDlpWait);
    }

    ChildrenWithYtDlp children;
    YtDlpTool tool{children, [] { return std::chrono::sys_days(std::chrono::days(20000)); }};
    std::vector<std::string> told;
    // What the user keeps of each video.
    resolve::QualityPreferences choice;
    JobServices with_ytdlp = [this] {
        JobServices with = services;
        with.children = &children;
        with.ytdlp = &tool;
        with.uses_ytdlp = [] { return true; };
        with.tell = [this](const std::string& text) { told.push_back(text); };
        with.preferences = [this] { return choice; };
        return with;
    }();
    DownloadRun ytdlp_run{with_ytdlp};
};

// A player set up from JavaScript, whose video has no extension to see.
std::string PlayerPage(const std::string& setup) {
    return "<html><head><title>Page</title></head><body><div id='player'></div><script>"
           "jwplayer('player').setup(" +
           setup + ");</script></body></html>";
}

class RealYtDlpTest : public YtDlpLoopbackTest {
protected:
    void SetUp() override {
        children.ytdlp = test_support::FindOnPath("yt-dlp");
        if (!children.ytdlp) GTEST_SKIP() << "yt-dlp is not on PATH (Debian's yt-dlp package)";
    }
};

TEST_F(RealYtDlpTest, APlayerSetUpFromJavaScriptIsDownloadedByteExactWithItsHeaders) {
    const ServedFile video = test_support::FileOf(std::string(300000, 'v') + "end");
    server.ServeFile("/media/clip", video);
    const list::ItemKey key =
        AddPage("/watch.html", PlayerPage(R"({"file": "/media/clip", "type": "mp4",)"
                                          R"( "title": "A clip"})"));
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(Name(key), "A clip.mp4");
    EXPECT_EQ(FileText(Video("A clip.mp4")), test_support::FileBytes(video));
    const auto asked = RequestsFor("/media/clip");
    ASSERT_FALSE(asked.empty());
    for (const auto& request : asked) {
        // yt-dlp's headers for the format, not our own agent's.
        EXPECT_EQ(request.Header("Sec-Fetch-Mode"), "navigate");
        EXPECT_NE(request.Header("User-Agent").value_or(kUserAgent), kUserAgent);
        EXPECT_NE(request.Header("User-Agent").value_or(kBrowserUserAgent), kBrowserUserAgent);
    }
}

TEST_F(RealYtDlpTest, APlaylistPageListsItsEntries) {
    const list::ItemKey key =
        AddPage("/list.html", PlayerPage(R"({"playlist": [{"file": "/media/one", "type": "mp4"},)"
                                         R"( {"file": "/media/two", "type": "mp4"}]})"));
    ytdlp_run.Start();
    ASSERT_TRUE(RunUntilLong([&] { return queue.Find(key) == nullptr; }));
    ytdlp_run.Stop();
    ASSERT_EQ(queue.Count(), 2);
    EXPECT_EQ(queue.At(0).page_address, server.Url("/media/one"));
    EXPECT_EQ(queue.At(1).page_address, server.Url("/media/two"));
    EXPECT_THAT(told, testing::Contains("Added 2 videos from Page"));
}

// A feed's entries, each a player only yt-dlp reads, are found ahead of their
// turns by one yt-dlp besides the feed's own, and come byte-exact.
TEST_F(RealYtDlpTest, AFeedsEntriesAreFoundTogetherAheadOfTheirTurns) {
    JobServices ahead = with_ytdlp;
    ahead.resolve_ahead = true;
    DownloadRun run_ahead{ahead};
    std::string items;
    std::vector<ServedFile> videos;
    for (int n = 1; n <= 3; ++n) {
        const std::string id = std::to_string(n);
        videos.push_back(test_support::FileOf(std::string(200000 + n, 'a' + n)));
        server.ServeFile("/media/" + id, videos.back());
        server.Serve("/e" + id + ".html",
                     Answer::Http(200, "OK", {"Content-Type: text/html"},
                                  PlayerPage(R"({"file": "/media/)" + id +
                                             R"(", "type": "mp4", "title": "E)" + id + R"("})")));
        items += "<item><title>E" + id + "</title><link>" + server.Url("/e" + id + ".html") +
                 "</link></item>";
    }
    server.Serve("/feed.xml",
                 Answer::Http(200, "OK", {"Content-Type: application/rss+xml"},
                              "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed"
                              "</title><link>" +
                                  server.Url("/") + "</link>" + items + "</channel></rss>"));
    list::AddVideoURL(queue, server.Url("/feed.xml"), true);
    run_ahead.Start();
    ASSERT_TRUE(RunUntilLong([&] { return !run_ahead.IsRunning(); }));
    ASSERT_EQ(queue.Count(), 3);
    for (int n = 1; n <= 3; ++n) {
        const list::ItemKey key = queue.At(n - 1).key;
        ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
        EXPECT_EQ(FileText(Video("E" + std::to_string(n) + ".mp4")),
                  test_support::FileBytes(videos[n - 1]));
    }
    EXPECT_EQ(children.asks, 2) << "the feed's, and one for its three entries";
}

// Debian's yt-dlp keys a player's captions by their label ("English") and
// reads heights from "720p": a cap of 480 takes the 360p file, the English
// captions go beside it, and German, missing, is a note.
TEST_F(RealYtDlpTest, TheCapAndTheLanguagesApplyToWhatItFinds) {
    const ServedFile tall = test_support::FileOf(std::string(200000, 't'));
    const ServedFile short_one = test_support::FileOf(std::string(100000, 's'));
    server.ServeFile("/media/720", tall);
    server.ServeFile("/media/360", short_one);
    const std::string subtitle = "WEBVTT\n\n00:00.000 --> 00:01.000\nAhoy\n";
    server.Serve("/en.vtt", Answer::Http(200, "OK", {"Content-Type: text/vtt"}, subtitle));
    choice.max_height = 480;
    choice.subtitle_languages = {"en", "de"};
    const list::ItemKey key = AddPage(
        "/watch.html",
        PlayerPage(R"({"title": "Harbour", "sources": [{"file": "/media/720", "type": "mp4",)"
                   R"( "label": "720p"}, {"file": "/media/360", "type": "mp4", "label": "360p"}],)"
                   R"( "tracks": [{"file": "/en.vtt", "kind": "captions", "label": "English"}]})"));
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"Harbour.en.vtt", "Harbour.mp4"}));
    EXPECT_EQ(FileText(Video("Harbour.mp4")), test_support::FileBytes(short_one));
    EXPECT_EQ(FileText(Video("Harbour.en.vtt")), subtitle);
    EXPECT_EQ(list::ReasonText(Item(key)), "This page has no subtitles in de");
}

TEST_F(YtDlpLoopbackTest, ASlowResolverIsEndedByStopAtOnce) {
    const std::string pid_file = folder.File("pid");
    StandIn("echo $$ > '" + pid_file + "'\nexec sleep 600");
    const list::ItemKey key = AddPage("/slow.html", "<html><p>nothing</p></html>");
    ytdlp_run.Start();
    ASSERT_TRUE(RunUntilLong([&] { return FileText(pid_file).find('\n') != std::string::npos; }));
    ytdlp_run.Stop();
    EXPECT_EQ(Status(key), "Cancelled");
    const std::string stat = "/proc/" + std::to_string(std::stoi(FileText(pid_file))) + "/stat";
    // Gone, or a zombie that is being reaped.
    EXPECT_TRUE(RunUntil([&] {
        const std::string state = FileText(stat);
        return state.empty() || state.find(") Z") != std::string::npos;
    }));
}

TEST_F(YtDlpLoopbackTest, ItsErrorLineAndAnOversizedAnswerBecomeReasons) {
    const std::map<std::string, std::string> scripts = {
        {"echo 'ERROR: [generic] Unable to download webpage: HTTP Error 404' >&2\nexit 1",
         "yt-dlp: [generic] Unable to download webpage: HTTP Error 404"},
        {"head -c 17825792 /dev/zero | tr '\\0' ' '", "yt-dlp: its answer is larger than 16 MiB"},
    };
    int page = 0;
    for (const auto& [script, reason] : scripts) {
        StandIn(script);
        const list::ItemKey key =
            AddPage("/p" + std::to_string(++page) + ".html", "<html><p>nothing</p></html>");
        ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
        EXPECT_EQ(list::ReasonText(Item(key)), reason);
    }
}

TEST_F(YtDlpLoopbackTest, SeparatePictureAndSoundAreJoinedByFfmpeg) {
    const std::optional<std::string> ffmpeg = test_support::FindOnPath("ffmpeg");
    if (!ffmpeg) GTEST_SKIP() << "ffmpeg is not on PATH";
    const std::string picture = folder.File("picture.mp4");
    const std::string sound = folder.File("sound.m4a");
    for (const std::vector<std::string>& made :
         {std::vector<std::string>{"-f", "lavfi", "-i", "testsrc=duration=1:size=64x48:rate=10",
                                   "-c:v", "mpeg4", picture},
          std::vector<std::string>{"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac", sound}}) {
        std::string command = *ffmpeg + " -loglevel error -y";
        for (const std::string& arg : made) command += " '" + arg + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    server.ServeFile("/dash/v", test_support::FileOf(FileText(picture)));
    server.ServeFile("/dash/a", test_support::FileOf(FileText(sound)));
    StandInAnswering(R"({"title":"Joined","formats":[)"
                     R"({"url":")" +
                     server.Url("/dash/a") +
                     R"(","ext":"m4a","protocol":"http",)"
                     R"("vcodec":"none","acodec":"mp4a.40.2","tbr":128},)"
                     R"({"url":")" +
                     server.Url("/dash/v") +
                     R"(","ext":"mp4","protocol":"http",)"
                     R"("vcodec":"avc1.4d401e","acodec":"none","height":48}]})");
    const list::ItemKey key = AddPage("/dash.html", "<html><p>nothing</p></html>");
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(Name(key), "Joined.mp4");
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{"Joined.mp4"});
    const std::string probe = "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 '" +
                              Video("Joined.mp4") + "' > '" + folder.File("streams") + "'";
    ASSERT_EQ(std::system(probe.c_str()), 0);
    EXPECT_EQ(FileText(folder.File("streams")), "video\naudio\n");
}

TEST_F(YtDlpLoopbackTest, AKeptLinkThatExpiredIsAskedForAgainAndResumed) {
    ServedFile video = test_support::FileOf(std::string(400000, 'x') + "tail");
    video.etag = "\"v1\"";
    ServedFile breaking = video;
    breaking.break_first_after = 100000;
    server.ServeFile("/old", breaking);
    const list::ItemKey key = AddPage("/kept.html", "<html><p>nothing</p></html>");
    resolve::YtDlpChoice kept;
    kept.video.url = server.Url("/old");
    kept.video.headers = {{"Referer", "http://r.test/"}};
    kept.video.ext = "mp4";
    kept.file_name = "Kept.mp4";
    queue.Modify(key, [&](list::DownloadItem& i) { i.rare->resolved = resolve::KeepChoice(kept); });
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "ERROR");
    ASSERT_GT(test_support::KeptBytes(Item(key)), 0);
    const int64_t kept_bytes = test_support::KeptBytes(Item(key));

    // The link expired; yt-dlp gives a new one to the same file.
    server.Serve("/old", Answer::Http(403, "Forbidden"));
    server.ServeFile("/new", video);
    StandInAnswering(R"({"title":"Kept","formats":[{"url":")" + server.Url("/new") +
                     R"(","ext":"mp4","protocol":"http","http_headers":{"Referer":"x"}}]})");
    queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kWaiting; });
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(FileText(Video("Kept.mp4")), test_support::FileBytes(video));
    const auto fresh = RequestsFor("/new");
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(fresh.back().Header("Range"), "bytes=" + std::to_string(kept_bytes) + "-");
}

// What the user keeps of a video, over real media that ffmpeg made: a video
// with its sound (AAC, 128k), the sound alone (AAC, 96k), an English
// subtitle; ffprobe tells what each download made.
struct KeptCase {
    const char* name;
    resolve::QualityPreferences choice;
    bool offers_sound_alone;
    std::set<std::string> files;
    // "codec,type" of each stream of the video (or sound) file.
    std::string streams;
    std::string note;
};

void PrintTo(const KeptCase& c, std::ostream* out) { *out << c.name; }

class WhatIsKeptTest : public YtDlpLoopbackTest, public testing::WithParamInterface<KeptCase> {
protected:
    void SetUp() override {
        ffmpeg = test_support::FindOnPath("ffmpeg");
        ffprobe = test_support::FindOnPath("ffprobe");
        if (!ffmpeg || !ffprobe) GTEST_SKIP() << "ffmpeg and ffprobe are not on PATH";
        Make({"-f", "lavfi", "-i", "testsrc=duration=2:size=64x48:rate=10", "-f", "lavfi", "-i",
              "sine=duration=2", "-c:v", "mpeg4", "-c:a", "aac", "-b:a", "128k", "v.mp4"});
        Make({"-f", "lavfi", "-i", "sine=duration=2:frequency=300", "-c:a", "aac", "-b:a", "96k",
              "a.m4a"});
        server.ServeFile("/v.mp4", test_support::FileOf(FileText(folder.File("v.mp4"))));
        server.ServeFile("/a.m4a", test_support::FileOf(FileText(folder.File("a.m4a"))));
        server.Serve("/en.vtt", Answer::Http(200, "OK", {"Content-Type: text/vtt"}, kSubtitle));
    }
    void Make(std::vector<std::string> arguments) {
        arguments.back() = folder.File(arguments.back());
        arguments.insert(arguments.begin(), {"-loglevel", "error", "-y"});
        ASSERT_EQ(test_support::RunProgram(*ffmpeg, arguments).exit_code, 0);
    }
    std::string Streams(const std::string& path) {
        return test_support::RunProgram(
                   *ffprobe, {"-v", "error", "-show_entries", "stream=codec_name,codec_type", "-of",
                              "csv=p=0", path})
            .out;
    }
    int64_t SoundBitRate(const std::string& path) {
        const std::string out =
            test_support::RunProgram(*ffprobe,
                                     {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                      "stream=bit_rate", "-of", "csv=p=0", path})
                .out;
        return std::atoll(out.c_str());
    }
    std::string AnswerJson(bool sound_alone) {
        std::string formats = R"({"url":")" + server.Url("/v.mp4") +
                              R"(","ext":"mp4","protocol":"http","vcodec":"mp4v.20.9",)"
                              R"("acodec":"mp4a.40.2","height":48,"abr":128})";
        if (sound_alone) {
            formats +=
                R"(,{"url":")" + server.Url("/a.m4a") +
                R"(","ext":"m4a","protocol":"http","vcodec":"none","acodec":"mp4a.40.2","abr":96})";
        }
        return R"({"title":"Clip","uploader":"Ann","duration":2,"formats":[)" + formats +
               R"(],"subtitles":{"en":[{"ext":"vtt","url":")" + server.Url("/en.vtt") + R"("}]}})";
    }
    static constexpr const char* kSubtitle = "WEBVTT\n\n00:00.000 --> 00:01.500\nHello\n";
    std::optional<std::string> ffmpeg;
    std::optional<std::string> ffprobe;
};

TEST_P(WhatIsKeptTest, IsWhatTheFilesHold) {
    const KeptCase& c = GetParam();
    StandInAnswering(AnswerJson(c.offers_sound_alone));
    choice = c.choice;
    const list::ItemKey key = AddPage("/clip.html", "<html><p>nothing</p></html>");
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(FilesInVideos(), c.files);
    const std::string first = Video(*c.files.rbegin()); // the video, after its subtitles
    EXPECT_EQ(Streams(first), c.streams);
    EXPECT_EQ(list::ReasonText(Item(key)), c.note);
    if (c.files.count("Clip.en.vtt") > 0) EXPECT_EQ(FileText(Video("Clip.en.vtt")), kSubtitle);
    if (c.choice.sound_only != resolve::SoundOnly::kOff) {
        // Never encoded above the sound it came from.
        const std::string source = folder.File(c.offers_sound_alone ? "a.m4a" : "v.mp4");
        EXPECT_LE(SoundBitRate(first), SoundBitRate(source) + 1000);
        EXPECT_EQ(test_support::RunProgram(
                      *ffprobe, {"-v", "error", "-show_entries", "format_tags=title,artist", "-of",
                                 "default=nw=1", first})
                      .out,
                  "TAG:title=Clip\nTAG:artist=Ann\n");
    }
}

// The entries of a playlist read with a choice keep it, whatever the
// settings say by the time each starts.
TEST_F(WhatIsKeptTest, APlaylistsEntriesKeepTheChoiceItWasReadWith) {
    std::ofstream(folder.File("list.json"))
        << R"({"_type":"playlist","title":"Two","entries":[{"url":")" + server.Url("/e1.html") +
               R"("},{"url":")" + server.Url("/e2.html") + R"("}]})";
    std::ofstream(folder.File("answer.json")) << AnswerJson(true);
    StandIn("case \"$*\" in *list.html*) cat '" + folder.File("list.json") + "';; *) cat '" +
            folder.File("answer.json") + "';; esac");
    for (const char* entry : {"/e1.html", "/e2.html"})
        server.Serve(entry, Answer::Http(200, "OK", {"Content-Type: text/html"}, "<p>-</p>"));
    choice.sound_only = resolve::SoundOnly::kMp3;
    const list::ItemKey playlist = AddPage("/list.html", "<html><p>nothing</p></html>");
    ytdlp_run.Start();
    ASSERT_TRUE(RunUntilLong([&] { return queue.Find(playlist) == nullptr; }));
    choice = {};
    ASSERT_TRUE(RunUntilLong([&] { return !ytdlp_run.IsRunning(); }));
    EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"Clip (2).mp3", "Clip.mp3"}));
}

// A page's own video, found by the page reader: only its sound is kept.
TEST_F(WhatIsKeptTest, ThePageReadersVideoGivesItsSoundAlone) {
    choice.sound_only = resolve::SoundOnly::kMp3;
    const list::ItemKey key =
        AddPage("/player.html",
                "<html><head><title>Harbour</title></head><body><video src='/v.mp4'>"
                "</video></body></html>");
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    ASSERT_EQ(FilesInVideos().size(), 1u);
    const std::string made = *FilesInVideos().begin();
    EXPECT_TRUE(made.ends_with(".mp3")) << made;
    EXPECT_EQ(Streams(Video(made)), "mp3,audio\n");
    EXPECT_EQ(list::ReasonText(Item(key)), "The sound was taken out of the video with ffmpeg");
}

// The subtitle tracks of a page's <video>: the languages asked for go beside
// it; chapters are no subtitles, and a language missing is a note.
TEST_F(WhatIsKeptTest, APagesTracksGiveItsSubtitles) {
    choice.subtitle_languages = {"en", "de"};
    const list::ItemKey key = AddPage(
        "/tracks.html",
        "<html><head><title>Harbour</title></head><body><video src='/v.mp4'>"
        "<track kind='chapters' srclang='de' src='/en.vtt'>"
        "<track kind='subtitles' srclang='en' label='English' src='en.vtt'></video></body></html>");
    ASSERT_TRUE(RunToTheEndWaitingForYtDlp());
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"Harbour.en.vtt", "Harbour.mp4"}));
    EXPECT_EQ(FileText(Video("Harbour.en.vtt")), kSubtitle);
    EXPECT_EQ(list::ReasonText(Item(key)), "This page has no subtitles in de");
}

using resolve::SoundOnly;
using Choice = resolve::QualityPreferences;
INSTANTIATE_TEST_SUITE_P(
    Choices, WhatIsKeptTest,
    testing::Values(
        KeptCase{"SoundAsM4aIsCopied",
                 Choice{0, {}, SoundOnly::kM4a},
                 true,
                 {"Clip.m4a"},
                 "aac,audio\n",
                 ""},
        KeptCase{
            "SoundAsMp3", Choice{0, {}, SoundOnly::kMp3}, true, {"Clip.mp3"}, "mp3,audio\n", ""},
        KeptCase{"SoundTakenOutOfTheVideo",
                 Choice{0, {}, SoundOnly::kM4a},
                 false,
                 {"Clip.m4a"},
                 "aac,audio\n",
                 "The sound was taken out of the video with ffmpeg"},
        KeptCase{"SubtitlesBeside",
                 Choice{0, {}, {}, {"en"}},
                 true,
                 {"Clip.en.vtt", "Clip.mp4"},
                 "mpeg4,video\naac,audio\n",
                 ""},
        KeptCase{"SubtitlesInside",
                 Choice{0, {}, {}, {"en"}, false, false, true},
                 true,
                 {"Clip.mp4"},
                 "mpeg4,video\naac,audio\nmov_text,subtitle\n",
                 ""},
        KeptCase{"AMissingLanguageIsANote",
                 Choice{0, {}, {}, {"de", "en"}},
                 true,
                 {"Clip.en.vtt", "Clip.mp4"},
                 "mpeg4,video\naac,audio\n",
                 "This page has no subtitles in de"}),
    [](const testing::TestParamInfo<KeptCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::driver
