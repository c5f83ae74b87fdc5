// A streamed video's MPEG-TS pieces made an MP4 by ffmpeg, played by the test:
// what ffmpeg is asked, what a conversion that fails leaves, and Stop.
#include "driver/stream_convert.h"
#include "driver/stream_harness.h"

#include "list/reason_texts.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace tarnwick::driver {
namespace {

class StreamConvertTest : public StreamHarness {
protected:
    StreamConvertTest() {
        children.programs["ffmpeg"] = "/usr/bin/ffmpeg";
        const std::string playlist =
            "#EXTM3U\n#EXTINF:2,\na.ts\n#EXTINF:2,\nb.ts\n#EXT-X-ENDLIST\n";
        http.RouteHead(kAddress, fakes::FakeReply::Page(playlist));
        http.Route(kAddress, fakes::FakeReply::Page(playlist));
        http.Route("http://tv.example/a.ts", fakes::FakeReply::Page("AA"));
        http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
        const std::string master =
            "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"en\",DEFAULT=YES,"
            "URI=\"en.m3u8\"\n#EXT-X-STREAM-INF:BANDWIDTH=1,AUDIO=\"a\"\nshow.m3u8\n";
        http.RouteHead(kMaster, fakes::FakeReply::Page(master));
        http.Route(kMaster, fakes::FakeReply::Page(master));
        http.Route("http://tv.example/en.m3u8",
                   fakes::FakeReply::Page("#EXTM3U\n#EXTINF:4,\nen.aac\n#EXT-X-ENDLIST\n"));
        http.Route("http://tv.example/en.aac", fakes::FakeReply::Page("SOUND"));
    }
    void Begin(const std::string& address = kAddress) {
        list::AddVideoURL(queue, address, true);
        key = queue.LastKey();
        stream_run.Start();
        Settle();
    }
    const platform::ChildRequest& Asked() { return children.started.at(0)->request; }
    // ffmpeg's end, having told that its video plays `ms`.
    static platform::ChildEnd Played(int64_t ms) {
        return {platform::ChildEnd::Kind::kExited, 0,
                "out_time_us=" + std::to_string(ms * 1000) + "\nprogress=end\n"};
    }
    // ffmpeg's output, as it was told.
    std::string Output() { return Asked().arguments.back(); }
    std::set<std::string> Videos() {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.File("videos"))) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    static constexpr const char* kAddress = "http://tv.example/show.m3u8";
    static constexpr const char* kMaster = "http://tv.example/master.m3u8";
    list::ItemKey key = 0;
};

TEST_F(StreamConvertTest, TheMp4TakesTheNameAndThePiecesGo) {
    Begin();
    ASSERT_EQ(children.started.size(), 1u) << Status(key) << " " << list::ReasonText(Item(key));
    EXPECT_EQ(Asked().program, "/usr/bin/ffmpeg");
    const std::vector<std::string>& arguments = Asked().arguments;
    const std::string input = arguments.at(9);
    EXPECT_EQ(test_support::ReadWholeFile(input), "AABB");
    EXPECT_EQ(arguments, (std::vector<std::string>{"-hide_banner", "-loglevel", "error", "-nostdin",
                                                   "-progress", "pipe:1", "-nostats", "-n", "-i",
                                                   input, "-c", "copy", "-f", "mp4", Output()}));
    EXPECT_EQ(Item(key).state, list::ItemState::kDownloading);
    EXPECT_EQ(Status(key), "Converting to MP4… 0 s") << "no bytes come meanwhile";
    EXPECT_EQ(list::SizeText(Item(key)), "4 Bytesso far..");
    std::ofstream(Output()) << "MP4!";
    children.End(0, Played(4000));
    Settle();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "show.mp4");
    EXPECT_EQ(test_support::ReadWholeFile(folder.File("videos/show.mp4")), "MP4!");
    EXPECT_EQ(Videos(), std::set<std::string>{"show.mp4"});
}

TEST_F(StreamConvertTest, AConversionThatFailsKeepsThePiecesAndSaysWhy) {
    Begin();
    std::ofstream(Output()) << "half";
    children.End(0, {platform::ChildEnd::Kind::kExited, 1, "", "x\nInvalid data found\n"});
    Settle();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "show.ts");
    EXPECT_EQ(list::ReasonText(Item(key)),
              "The video's parts could not be joined (ffmpeg: Invalid data found; the video is "
              "kept as show.ts)");
    EXPECT_EQ(Videos(), std::set<std::string>{"show.ts"});
}

TEST_F(StreamConvertTest, StopEndsFfmpegAndDropsWhatItWrote) {
    Begin();
    std::ofstream(Output()) << "half";
    stream_run.Stop();
    Settle();
    EXPECT_TRUE(children.started.at(0)->killed);
    EXPECT_EQ(Status(key), "Cancelled");
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

TEST_F(StreamConvertTest, ASoundThatComesApartIsJoinedToThePicture) {
    Begin(kMaster);
    ASSERT_EQ(children.started.size(), 1u) << list::ReasonText(Item(key));
    const std::vector<std::string>& arguments = Asked().arguments;
    ASSERT_EQ(arguments.size(), 21u);
    EXPECT_EQ(test_support::ReadWholeFile(arguments.at(9)), "AABB");
    EXPECT_EQ(test_support::ReadWholeFile(arguments.at(11)), "SOUND");
    EXPECT_EQ(std::vector<std::string>(arguments.begin() + 12, arguments.begin() + 16),
              (std::vector<std::string>{"-map", "0:v", "-map", "1:a"}));
    std::ofstream(Output()) << "JOINED MP4";
    children.End(0, Played(4000));
    Settle();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Videos(), std::set<std::string>{"master.mp4"});
}

TEST_F(StreamConvertTest, APairStoppedHalfWayGoesOnByteForByte) {
    http.Route("http://tv.example/b.ts", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    Begin(kMaster);
    stream_run.Stop();
    Settle();
    ASSERT_EQ(Status(key), "Cancelled");
    const std::vector<std::string> kept = list::KeptFilesOf(Item(key));
    ASSERT_EQ(kept.size(), 2u) << "the picture and the sound are both kept";
    EXPECT_EQ(test_support::ReadWholeFile(kept[0]), "AA");
    EXPECT_EQ(test_support::ReadWholeFile(kept[1]), "SOUND");

    http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
    queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kWaiting; });
    stream_run.Start();
    Settle();
    ASSERT_EQ(children.started.size(), 1u) << list::ReasonText(Item(key));
    EXPECT_EQ(Requests("http://tv.example/a.ts"), 1) << "a piece on disk is not asked again";
    EXPECT_EQ(Requests("http://tv.example/en.aac"), 1);
    const std::vector<std::string>& arguments = Asked().arguments;
    EXPECT_EQ(test_support::ReadWholeFile(arguments.at(9)), "AABB");
    EXPECT_EQ(test_support::ReadWholeFile(arguments.at(11)), "SOUND");
}

TEST_F(StreamConvertTest, APictureAndSoundNotJoinedFailAndStayForALaterTry) {
    Begin(kMaster);
    std::ofstream(Output()) << "half";
    children.End(0, {platform::ChildEnd::Kind::kCrashed});
    Settle();
    EXPECT_EQ(Status(key), "ERROR");
    EXPECT_EQ(list::ReasonText(Item(key)),
              "The video's parts could not be joined (ffmpeg crashed)");
    EXPECT_FALSE(std::filesystem::exists(Output())) << "what ffmpeg made goes";
    const std::vector<std::string> kept = list::KeptFilesOf(Item(key));
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(test_support::ReadWholeFile(kept[0]), "AABB");
    EXPECT_EQ(test_support::ReadWholeFile(kept[1]), "SOUND");

    // Tried again, the two are joined without a byte asked for again.
    const size_t asked = http.exchanges.size();
    queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kWaiting; });
    stream_run.Start();
    Settle();
    ASSERT_EQ(children.started.size(), 2u) << list::ReasonText(Item(key));
    for (size_t n = asked; n < http.exchanges.size(); ++n) {
        EXPECT_TRUE(http.exchanges[n]->request.url.ends_with(".m3u8"))
            << http.exchanges[n]->request.url;
    }
}

struct CheckCase {
    const char* name;
    platform::ChildEnd end;
    int64_t output_bytes;
    std::string why; // empty: it holds what it was given
};

void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.name; }

class ConversionCheckTest : public testing::TestWithParam<CheckCase> {};

// ffmpeg's exit status is no proof: 1000 bytes that play 10 s were given.
TEST_P(ConversionCheckTest, TheFileMustHoldWhatFfmpegWasGiven) {
    const Status made = CheckConversion(GetParam().end, GetParam().output_bytes, {1000, 10000});
    EXPECT_EQ(made ? std::string() : made.failure().detail, GetParam().why);
    if (!made) EXPECT_EQ(made.failure().reason, Reason::kNotJoined);
}

const platform::ChildEnd kPlayedTen = {
    platform::ChildEnd::Kind::kExited, 0,
    "frame=1\nout_time_us=4000000\nout_time_us=10040272\nprogress=end\n"};

INSTANTIATE_TEST_SUITE_P(
    Ends, ConversionCheckTest,
    testing::Values(CheckCase{"Whole", kPlayedTen, 920, ""},
                    CheckCase{"NothingWritten", kPlayedTen, 0, "ffmpeg wrote nothing"},
                    CheckCase{"HalfWritten", kPlayedTen, 500, "ffmpeg wrote 500 bytes of 1000"},
                    CheckCase{"MoreThanGiven", kPlayedTen, 1000 + 50 + 65537,
                              "ffmpeg wrote 66587 bytes of 1000"},
                    CheckCase{"PlaysShorter",
                              {platform::ChildEnd::Kind::kExited, 0, "out_time_us=5000000\n"},
                              950,
                              "ffmpeg's video plays 5 s of 10 s"},
                    CheckCase{"SaysNothingOfItsPlayingTime",
                              {},
                              950,
                              "ffmpeg did not tell how long its video plays"},
                    CheckCase{"ExitedWithAnError",
                              {platform::ChildEnd::Kind::kExited, 1, "", "x\nInvalid data found\n"},
                              950,
                              "ffmpeg: Invalid data found"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::driver
