// A streamed video's MPEG-TS pieces made an MP4 by ffmpeg, played by the test:
// what ffmpeg is asked, what a conversion that fails leaves, and Stop.
#include "driver/run_harness.h"

#include "fakes/fake_child_processes.h"
#include "list/reason_texts.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace tarnwick::driver {
namespace {

// No page is read: the address is the playlist.
class NoParsers : public platform::HtmlParserFactory {
public:
    std::unique_ptr<platform::HtmlParser> NewParser(platform::HtmlHandler&) override {
        return nullptr;
    }
};

class StreamConvertTest : public RunHarness {
protected:
    StreamConvertTest() {
        std::filesystem::create_directory(folder.File("videos"));
        children.programs["ffmpeg"] = "/usr/bin/ffmpeg";
        const std::string playlist =
            "#EXTM3U\n#EXTINF:2,\na.ts\n#EXTINF:2,\nb.ts\n#EXT-X-ENDLIST\n";
        http.RouteHead(kAddress, fakes::FakeReply::Page(playlist));
        http.Route(kAddress, fakes::FakeReply::Page(playlist));
        http.Route("http://tv.example/a.ts", fakes::FakeReply::Page("AA"));
        http.Route("http://tv.example/b.ts", fakes::FakeReply::Page("BB"));
        list::AddVideoURL(queue, kAddress, true);
        key = queue.LastKey();
        stream_run.Start();
        Settle();
    }
    const platform::ChildRequest& Asked() { return children.started.at(0)->request; }
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
    NoParsers parsers;
    fakes::FakeChildProcesses children;
    JobServices streams = [this] {
        JobServices with = services;
        with.html_parsers = &parsers;
        with.reads_other_sites = [] { return true; };
        with.children = &children;
        return with;
    }();
    DownloadRun stream_run{streams};
    list::ItemKey key = 0;
};

TEST_F(StreamConvertTest, TheMp4TakesTheNameAndThePiecesGo) {
    ASSERT_EQ(children.started.size(), 1u) << Status(key) << " " << list::ReasonText(Item(key));
    EXPECT_EQ(Asked().program, "/usr/bin/ffmpeg");
    const std::vector<std::string>& arguments = Asked().arguments;
    const std::string input = arguments.at(6);
    EXPECT_EQ(test_support::ReadWholeFile(input), "AABB");
    EXPECT_EQ(arguments,
              (std::vector<std::string>{"-hide_banner", "-loglevel", "error", "-nostdin", "-n",
                                        "-i", input, "-c", "copy", "-f", "mp4", Output()}));
    EXPECT_EQ(Item(key).state, list::ItemState::kDownloading);
    EXPECT_EQ(Item(key).received, 4);
    std::ofstream(Output()) << "MP4";
    children.End(0, {});
    Settle();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "show.mp4");
    EXPECT_EQ(test_support::ReadWholeFile(folder.File("videos/show.mp4")), "MP4");
    EXPECT_EQ(Videos(), std::set<std::string>{"show.mp4"});
}

TEST_F(StreamConvertTest, AConversionThatFailsKeepsThePiecesAndSaysWhy) {
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
    std::ofstream(Output()) << "half";
    stream_run.Stop();
    Settle();
    EXPECT_TRUE(children.started.at(0)->killed);
    EXPECT_EQ(Status(key), "Cancelled");
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

} // namespace
} // namespace tarnwick::driver
