// Real streams made by ffmpeg, in the forms servers publish them, downloaded
// through the real HTTP client and made an MP4 by the real ffmpeg; ffprobe
// then tells whether the video plays whole, with its sound, at the height
// that was to be chosen.
#include "driver/loopback_harness.h"

#include "list/reason_texts.h"
#include "qt/qt_child_processes.h"
#include "support/hls_fixtures.h"
#include "support/play_until.h"

#include <fstream>

namespace tarnwick::driver {
namespace {

using test_support::HlsFixture;
using test_support::HlsForm;

struct FormCase {
    const char* name;
    HlsForm form;
};

void PrintTo(const FormCase& c, std::ostream* out) { *out << c.name; }

std::string CaseName(const testing::TestParamInfo<FormCase>& info) { return info.param.name; }

class HlsFixtureTest : public LoopbackRunTest, public testing::WithParamInterface<FormCase> {
protected:
    void SetUp() override {
        if (!ffmpeg || !ffprobe) {
            GTEST_SKIP() << "ffmpeg and ffprobe are not on PATH (Debian's ffmpeg package)";
        }
        fixture = test_support::MakeHlsFixture(GetParam().form, *ffmpeg, streams.Path());
        test_support::ServeFolder(server, streams.Path());
    }
    // Downloads the fixture's playlist with `with_run`; the item's key.
    list::ItemKey Download(DownloadRun& with_run) {
        list::AddVideoURL(queue, server.Url(fixture.playlist), true);
        const list::ItemKey key = queue.LastKey();
        with_run.Start();
        EXPECT_TRUE(test_support::PlayUntil([&] { return !with_run.IsRunning(); }));
        return key;
    }

    const std::optional<std::string> ffmpeg = test_support::FindOnPath("ffmpeg");
    const std::optional<std::string> ffprobe = test_support::FindOnPath("ffprobe");
    test_support::TempFolder streams;
    HlsFixture fixture;
    qt::QtChildProcesses children;
    DownloadRun joining_run{[this] {
        JobServices with = services;
        with.children = &children;
        return with;
    }()};
};

class PlayedStreamTest : public HlsFixtureTest {};

TEST_P(PlayedStreamTest, BecomesAnMp4ThatPlaysWholeWithItsSound) {
    const list::ItemKey key = Download(joining_run);
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_FALSE(Item(key).rare->failure) << list::ReasonText(Item(key));
    EXPECT_TRUE(Name(key).ends_with(".mp4")) << Name(key);
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{Name(key)}) << "nothing else is left";
    const test_support::ProbedVideo video = test_support::ProbeVideo(*ffprobe, Video(Name(key)));
    EXPECT_NEAR(video.seconds, test_support::kHlsSeconds, 0.15);
    EXPECT_EQ(video.frames, test_support::kHlsSeconds * test_support::kHlsFramesPerSecond);
    EXPECT_EQ(video.height, fixture.height);
    EXPECT_TRUE(video.sound);
}

// Only the sound of a master's stream: an MP3 of the whole length, with no
// picture.
class StreamSoundTest : public HlsFixtureTest {};

TEST_P(StreamSoundTest, IsAnMp3OfTheWholeLength) {
    DownloadRun sound_run{[this] {
        JobServices with = services;
        with.children = &children;
        with.preferences = [] {
            return resolve::QualityPreferences{0, {}, resolve::SoundOnly::kMp3};
        };
        return with;
    }()};
    const list::ItemKey key = Download(sound_run);
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_TRUE(Name(key).ends_with(".mp3")) << Name(key);
    const test_support::ProbedVideo sound = test_support::ProbeVideo(*ffprobe, Video(Name(key)));
    EXPECT_NEAR(sound.seconds, test_support::kHlsSeconds, 0.15);
    EXPECT_EQ(sound.frames, 0);
    EXPECT_TRUE(sound.sound);
}

// Capped at 1080, a master of four heights gives its 1080p, with the
// English subtitles of its pieces beside it.
class CappedMasterTest : public HlsFixtureTest {};

TEST_P(CappedMasterTest, GivesTheCapsHeightAndItsSubtitles) {
    DownloadRun capped_run{[this] {
        JobServices with = services;
        with.children = &children;
        with.preferences = [] { return resolve::QualityPreferences{1080, {}, {}, {"en"}}; };
        return with;
    }()};
    const list::ItemKey key = Download(capped_run);
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"master.en.vtt", "master.mp4"}));
    EXPECT_EQ(test_support::ProbeVideo(*ffprobe, Video("master.mp4")).height, 1080);
    std::ifstream subtitles(Video("master.en.vtt"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(subtitles), {}),
              test_support::kMasterSubtitles);
}

INSTANTIATE_TEST_SUITE_P(Master, CappedMasterTest,
                         testing::Values(FormCase{"OfFour", HlsForm::kMasterOfFour}), CaseName);

INSTANTIATE_TEST_SUITE_P(Masters, StreamSoundTest,
                         testing::Values(FormCase{"MasterWithItsSound", HlsForm::kMaster},
                                         FormCase{"MasterSoundApart", HlsForm::kMasterSoundApart}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(Forms, PlayedStreamTest,
                         testing::Values(FormCase{"MpegTs", HlsForm::kMpegTs},
                                         FormCase{"Fmp4", HlsForm::kFmp4},
                                         FormCase{"AesWithIv", HlsForm::kAesWithIv},
                                         FormCase{"AesSequenceIv", HlsForm::kAesSequenceIv},
                                         FormCase{"SingleFileRanges", HlsForm::kSingleFile},
                                         FormCase{"MasterBestWithItsSound", HlsForm::kMaster},
                                         FormCase{"MasterSoundApart", HlsForm::kMasterSoundApart}),
                         CaseName);

// A wrong IV spoils only the first block of each piece, which no player
// notices: without ffmpeg the pieces are kept as they came, to the byte.
class KeptPiecesTest : public HlsFixtureTest {};

TEST_P(KeptPiecesTest, AreTheStreamsOwnBytes) {
    const list::ItemKey key = Download(run);
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(Name(key), "index.ts");
    EXPECT_TRUE(test_support::ReadWholeFile(Video("index.ts")) ==
                test_support::ReadWholeFile(fixture.plain));
}

INSTANTIATE_TEST_SUITE_P(Forms, KeptPiecesTest,
                         testing::Values(FormCase{"MpegTs", HlsForm::kMpegTs},
                                         FormCase{"AesWithIv", HlsForm::kAesWithIv},
                                         FormCase{"AesSequenceIv", HlsForm::kAesSequenceIv},
                                         FormCase{"SingleFileRanges", HlsForm::kSingleFile}),
                         CaseName);

// A stream of ranges of one file, from a server that answers every range
// with the whole file: that answer is the stream, taken once.
class RangesIgnoredTest : public HlsFixtureTest {};

TEST_P(RangesIgnoredTest, TheWholeFileIsTheStreamTakenOnce) {
    const std::string bytes = test_support::ReadWholeFile(fixture.plain);
    server.Serve("/single/index.ts", test_support::Answer::Http(200, "OK", {}, bytes));
    const list::ItemKey key = Download(joining_run);
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_FALSE(Item(key).rare->failure) << list::ReasonText(Item(key));
    const test_support::ProbedVideo video = test_support::ProbeVideo(*ffprobe, Video(Name(key)));
    EXPECT_NEAR(video.seconds, test_support::kHlsSeconds, 0.15);
    int whole = 0;
    for (const test_support::Request& request : server.Requests()) {
        whole += request.target == "/single/index.ts" && !request.Header("Range") ? 1 : 0;
    }
    EXPECT_EQ(whole, 1);
}

INSTANTIATE_TEST_SUITE_P(Forms, RangesIgnoredTest,
                         testing::Values(FormCase{"SingleFileRanges", HlsForm::kSingleFile}),
                         CaseName);

// An ffmpeg that exits 0 having made nothing, or half: the pieces are the
// video all the same, kept whole under their own name with the reason.
struct StandIn {
    const char* name;
    const char* script; // what it does to its output, the last argument
    const char* says;   // the reason's start
};

void PrintTo(const StandIn& c, std::ostream* out) { *out << c.name; }

class StandInFfmpegTest : public LoopbackRunTest, public testing::WithParamInterface<StandIn> {};

TEST_P(StandInFfmpegTest, NeverCostsThePieces) {
    const std::optional<std::string> ffmpeg = test_support::FindOnPath("ffmpeg");
    if (!ffmpeg) GTEST_SKIP() << "ffmpeg is not on PATH (Debian's ffmpeg package)";
    test_support::TempFolder streams;
    const HlsFixture fixture =
        test_support::MakeHlsFixture(HlsForm::kMpegTs, *ffmpeg, streams.Path());
    test_support::ServeFolder(server, streams.Path());
    test_support::TempFolder bin;
    const std::string stand_in = bin.File("ffmpeg");
    test_support::WriteWholeFile(stand_in, std::string("#!/bin/sh\n"
                                                       "for out; do :; done\n"
                                                       "while [ \"$1\" != -i ]; do shift; done\n"
                                                       "in=$2\n") +
                                               GetParam().script + "\nexit 0\n");
    std::filesystem::permissions(stand_in, std::filesystem::perms::owner_all);
    qt::QtChildProcesses stand_ins({QString::fromStdString(bin.Path())});
    JobServices with = services;
    with.children = &stand_ins;
    DownloadRun stand_in_run(with);
    list::AddVideoURL(queue, server.Url(fixture.playlist), true);
    const list::ItemKey key = queue.LastKey();
    stand_in_run.Start();
    ASSERT_TRUE(test_support::PlayUntil([&] { return !stand_in_run.IsRunning(); }));
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    EXPECT_EQ(Name(key), "index.ts");
    EXPECT_TRUE(list::ReasonText(Item(key)).starts_with(
        std::string("The video's parts could not be joined (") + GetParam().says))
        << list::ReasonText(Item(key));
    EXPECT_TRUE(test_support::ReadWholeFile(Video("index.ts")) ==
                test_support::ReadWholeFile(fixture.plain));
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{"index.ts"}) << "what the stand-in made goes";
}

INSTANTIATE_TEST_SUITE_P(
    Makers, StandInFfmpegTest,
    testing::Values(StandIn{"WritesNothing", ": > \"$out\"", "ffmpeg wrote nothing"},
                    StandIn{"WritesHalf",
                            "head -c $(( $(stat -c %s \"$in\") / 2 )) \"$in\" > \"$out\"",
                            "ffmpeg wrote "}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::driver
