// Real streams made by ffmpeg, in the forms servers publish them, downloaded
// through the real HTTP client and made an MP4 by the real ffmpeg; ffprobe
// then tells whether the video plays whole, with its sound, at the height
// that was to be chosen.
#include "driver/loopback_harness.h"

#include "list/reason_texts.h"
#include "qt/qt_child_processes.h"
#include "support/hls_fixtures.h"
#include "support/play_until.h"

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

} // namespace
} // namespace tarnwick::driver
