// Files fetched in parts over several connections, through the real HTTP
// client, against a server that serves files as plain servers do, and
// against servers that take ranges badly.
#include "driver/loopback_harness.h"
#include "support/kept_files.h"
#include "transfer/part_layout.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::driver {
namespace {

using test_support::ServedFile;

constexpr uint64_t kMiB = 1024 * 1024;
const char* const kLink = "/v/clip.flv";

ServedFile Version(uint64_t size, uint64_t offset, std::string etag) {
    ServedFile file;
    file.size = size;
    file.offset = offset;
    file.etag = std::move(etag);
    return file;
}

class SplitLoopbackTest : public LoopbackRunTest {
protected:
    SplitLoopbackTest() { connections = 4; }

    // Lists a page whose video link the server answers with `answerer`.
    list::ItemKey AddAnsweredVideo(test_support::LoopbackServer::Answerer answerer) {
        server.Serve(
            "/putfile.com/clip.flv",
            test_support::Answer::Http(200, "OK", {}, "<a href='" + server.Url(kLink) + "'>"));
        server.ServeOthers(std::move(answerer));
        list::AddVideoURL(queue, server.Url("/putfile.com/clip.flv"));
        return queue.LastKey();
    }
    // The Range headers of the video's GET requests, in order; "" for none.
    std::vector<std::string> Ranges() const {
        std::vector<std::string> ranges;
        for (const test_support::Request& request : server.Requests()) {
            if (request.method == "GET" && request.target == kLink) {
                ranges.push_back(request.Header("Range").value_or(""));
            }
        }
        return ranges;
    }
    bool IsVersion(const std::string& path, const ServedFile& file) {
        return test_support::ReadWholeFile(path) == test_support::FileBytes(file);
    }
    void ExpectCompleteAs(list::ItemKey key, const ServedFile& file) {
        ASSERT_EQ(Status(key), "Complete");
        EXPECT_TRUE(IsVersion(Video("clip.flv"), file)) << "the file is not byte for byte";
        EXPECT_EQ(FilesInVideos(), std::set<std::string>{"clip.flv"});
        EXPECT_EQ(test_support::KeptLayoutText(Item(key)), "");
        EXPECT_EQ(budget.InAll(), 0) << "every connection gave its room back";
    }
};

class SplitSizesTest : public SplitLoopbackTest, public testing::WithParamInterface<uint64_t> {};

TEST_P(SplitSizesTest, TheFileComesWholeOverSeveralConnections) {
    const ServedFile file = Version(GetParam(), GetParam(), "\"v1\"");
    const list::ItemKey key = AddServedVideo("clip.flv", file);
    RunToTheEnd();
    ExpectCompleteAs(key, file);
    const std::vector<std::string> ranges = Ranges();
    ASSERT_GE(ranges.size(), 2u) << "the file came over one connection";
    EXPECT_EQ(ranges[0], "") << "the first connection asks for the whole";
    for (size_t i = 1; i < ranges.size(); ++i) {
        EXPECT_TRUE(ranges[i].starts_with("bytes=") && ranges[i].ends_with("-")) << ranges[i];
    }
}

INSTANTIATE_TEST_SUITE_P(EvenAndUneven, SplitSizesTest,
                         testing::Values(16 * kMiB, 16 * kMiB + 12345, 9 * kMiB + 1, 2'000'000));

TEST_F(SplitLoopbackTest, AServerThatIgnoresRangesGivesTheFileOverOneConnection) {
    ServedFile file = Version(12 * kMiB, 3, "\"v1\"");
    file.ranges = false;
    const list::ItemKey key = AddServedVideo("clip.flv", file);
    RunToTheEnd();
    ExpectCompleteAs(key, file);
}

TEST_F(SplitLoopbackTest, ATooManyRequestsAnswerToTheThirdConnectionCostsOnlyThatConnection) {
    const ServedFile file = Version(24 * kMiB, 5, "\"v1\"");
    auto count = std::make_shared<std::atomic<int>>(0);
    const list::ItemKey key = AddAnsweredVideo(
        [file, count](const test_support::Request& request) -> std::optional<test_support::Answer> {
            if (request.target != kLink) return std::nullopt;
            if (request.method == "GET" && ++*count == 3) {
                return test_support::Answer::Http(429, "Too Many Requests");
            }
            return test_support::AnswerForFile(file, request, *count <= 1);
        });
    RunToTheEnd();
    ExpectCompleteAs(key, file);
    EXPECT_GE(count->load(), 3);
}

TEST_F(SplitLoopbackTest, AVersionThatChangesMidWayGivesOneVersionWholeNeverAMix) {
    const ServedFile first = Version(16 * kMiB, 7, "\"v1\"");
    const ServedFile second = Version(16 * kMiB, 99, "\"v2\"");
    // The first connection goes on with the first version while the others
    // are refused; one that has ended cannot, and the whole is asked anew.
    server.LimitEachConnection(32 * kMiB);
    auto count = std::make_shared<std::atomic<int>>(0);
    const list::ItemKey key = AddAnsweredVideo(
        [first, second,
         count](const test_support::Request& request) -> std::optional<test_support::Answer> {
            if (request.target != kLink) return std::nullopt;
            // The probe and the first GET see the first version, later GETs the second.
            const bool is_first = request.method != "GET" || ++*count == 1;
            return test_support::AnswerForFile(is_first ? first : second, request, is_first);
        });
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete");
    EXPECT_TRUE(IsVersion(Video("clip.flv"), first) || IsVersion(Video("clip.flv"), second));
    EXPECT_EQ(budget.InAll(), 0);
}

TEST_F(SplitLoopbackTest, AStopKeepsThePartsAndTheNextTryAsksOnlyForWhatIsMissing) {
    const ServedFile file = Version(16 * kMiB, 11, "\"v1\"");
    server.LimitEachConnection(2 * kMiB);
    const list::ItemKey key = AddServedVideo("clip.flv", file);
    run.Start();
    // Until at least two parts have bytes on disk.
    ASSERT_TRUE(RunUntil([&] {
        const auto layout =
            transfer::PartLayout::Read(test_support::KeptLayoutText(Item(key)), 16 * kMiB);
        if (!layout) return false;
        int begun = 0;
        for (const transfer::FilePart& part : layout->Parts()) begun += part.done > 0 ? 1 : 0;
        return begun >= 2;
    }));
    run.Stop();
    ASSERT_THAT(Status(key), testing::StartsWith("Cancelled"));
    const std::optional<transfer::PartLayout> kept =
        transfer::PartLayout::Read(test_support::KeptLayoutText(Item(key)), 16 * kMiB);
    ASSERT_TRUE(kept.has_value()) << test_support::KeptLayoutText(Item(key));
    EXPECT_EQ(test_support::KeptBytes(Item(key)), kept->DoneFromStart());
    std::vector<std::string> wanted;
    for (const transfer::FilePart& part : kept->Parts()) {
        if (!part.IsDone()) wanted.push_back("bytes=" + std::to_string(part.Next()) + "-");
    }

    server.LimitEachConnection(0);
    const size_t before = Ranges().size();
    RunToTheEnd();
    ExpectCompleteAs(key, file);
    const std::vector<std::string> all = Ranges();
    std::vector<std::string> asked(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    asked.resize(std::min(asked.size(), wanted.size()));
    std::sort(asked.begin(), asked.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(asked, wanted) << "each part goes on where it stopped";
}

TEST_F(SplitLoopbackTest, PartsOfAFileOverFourGibibytesGoOnWhereTheyStopped) {
    // A sparse file whose four parts each want their last 64 KiB.
    constexpr int64_t kTotal = 5'000'000'000;
    constexpr int64_t kTail = 64 * 1024;
    const ServedFile file = Version(kTotal, 0, "\"big\"");
    const list::ItemKey key = AddServedVideo("clip.flv", file);
    const std::string temporary = Video("clip.flv.1.tarnwick.part");
    {
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(descriptor, 0);
        ASSERT_EQ(::ftruncate(descriptor, kTotal), 0);
        ::close(descriptor);
    }
    std::string parts;
    std::vector<int64_t> tails;
    const int64_t each = kTotal / 4;
    for (int64_t start = 0; start < kTotal; start += each) {
        const int64_t end = std::min(start + each, kTotal);
        if (!parts.empty()) parts += ' ';
        parts += std::to_string(start) + '-' + std::to_string(end) + '=' +
                 std::to_string(end - start - kTail);
        tails.push_back(end - kTail);
    }
    queue.Modify(key, [&](list::DownloadItem& item) {
        item.name_kind = list::NameKind::kNamed;
        item.name = "clip.flv";
        item.size_kind = list::SizeKind::kKnown;
        item.total_size = kTotal;
        item.rare->kept =
            transfer::KeptParts{temporary, "\"big\"", *transfer::PartLayout::Read(parts, kTotal)};
    });
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete") << list::StatusText(Item(key));
    EXPECT_EQ(std::filesystem::file_size(Video("clip.flv")), static_cast<uintmax_t>(kTotal));
    std::ifstream in(Video("clip.flv"), std::ios::binary);
    for (const int64_t tail : tails) {
        std::string bytes(kTail, '\0');
        in.seekg(tail);
        in.read(bytes.data(), kTail);
        for (int64_t i = 0; i < kTail; i += 4093) {
            ASSERT_EQ(bytes[i], test_support::GeneratedByte(tail + i)) << tail + i;
        }
    }
    std::vector<std::string> asked = Ranges();
    std::vector<std::string> wanted;
    for (const int64_t tail : tails) wanted.push_back("bytes=" + std::to_string(tail) + "-");
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, wanted);
}

TEST_F(SplitLoopbackTest, AFullDiskShowsBeforeAnyPartIsAskedFor) {
    const std::string small = folder.File("small");
    std::filesystem::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=2m") != 0) {
        GTEST_SKIP() << "this machine cannot mount a 2 MiB tmpfs here (" << std::strerror(errno)
                     << "); the full-disk case is not tried";
    }
    JobServices onto_small = services;
    onto_small.download_folder = [&] { return small + "/videos"; };
    DownloadRun small_run(onto_small);
    const list::ItemKey key = AddServedVideo("clip.flv", Version(16 * kMiB, 0, "\"v1\""));
    small_run.Start();
    const bool ended = RunUntil([&] { return !small_run.IsRunning(); });
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(small + "/videos")) {
        left.push_back(entry.path());
    }
    ::umount(small.c_str());
    ASSERT_TRUE(ended);
    ASSERT_TRUE(Item(key).rare->failure.has_value());
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kDiskFull);
    EXPECT_EQ(Ranges().size(), 1u) << "no part was asked for";
    EXPECT_TRUE(left.empty()) << left.front();
    EXPECT_EQ(budget.InAll(), 0);
}

// Every request of every kind counts against the host's share: four streams'
// pieces and a file's parts from one host are never more than four at once.
TEST_F(SplitLoopbackTest, StreamsAndFilesInPartsFromOneHostHoldFourConnectionsAmongThem) {
    at_once = 4;
    server.LimitEachConnection(8 * kMiB);
    server.CountAtOnce("/media/");
    std::vector<list::ItemKey> streams;
    for (char name = 'a'; name < 'e'; ++name) {
        std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n";
        for (int piece = 0; piece < 12; ++piece) {
            const std::string target =
                std::string("/media/") + name + std::to_string(piece) + ".ts";
            server.Serve(target,
                         test_support::Answer::Http(200, "OK", {}, std::string(256 * 1024, name)));
            playlist += "#EXTINF:2,\n" + target + "\n";
        }
        server.Serve(
            std::string("/hls/") + name + ".m3u8",
            test_support::Answer::Http(200, "OK", {"Content-Type: application/vnd.apple.mpegurl"},
                                       playlist + "#EXT-X-ENDLIST\n"));
        list::AddVideoURL(queue, server.Url(std::string("/hls/") + name + ".m3u8"), true);
        streams.push_back(queue.LastKey());
    }
    const ServedFile big = Version(24 * kMiB, 3, "\"big\"");
    server.ServeFile("/media/big.flv", big);
    server.Serve("/putfile.com/big",
                 test_support::Answer::Http(200, "OK", {},
                                            "<a href='" + server.Url("/media/big.flv") + "'>"));
    list::AddVideoURL(queue, server.Url("/putfile.com/big"));
    const list::ItemKey file = queue.LastKey();
    RunToTheEnd();
    for (const list::ItemKey key : streams) EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Status(file), "Complete");
    EXPECT_TRUE(IsVersion(Video("big.flv"), big));
    EXPECT_LE(server.MostAnsweredAtOnce(), transfer::ConnectionBudget::kLeastPerHost);
    EXPECT_EQ(budget.InAll(), 0);
}

} // namespace
} // namespace tarnwick::driver
