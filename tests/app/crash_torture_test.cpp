// Kills the program's engine and store at forty points drawn from a printed
// seed: right after a write of the store, right after a block of a video
// came in, or, while a streamed video is unfinished, right after a batch of
// its pieces was written. After every restart the kept list must be whole,
// every finished file exact, every temporary file owned and every byte it
// counts on disk and the video's; at the end every video is there, byte for
// byte. A second run does the same to larger files fetched in parts over
// several connections, three items at a time. Set TARNWICK_CRASH_SEED to
// replay a run.
#include "child_process.h"
#include "driver/plan.h"
#include "list/download_item.h"
#include "platform/list_store.h"
#include "resolve/site_index.h"
#include "sqlite/sqlite_history.h"
#include "sqlite/sqlite_list_store.h"
#include "support/hls_fixtures.h"
#include "support/loopback_server.h"
#include "support/served_file.h"
#include "support/temp_folder.h"
#include "transfer/kept.h"
#include "transfer/part_layout.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using test_support::ServedFile;

constexpr int kVideos = 20;
// Streamed videos, listed first, of 20, 28 and 36 pieces.
constexpr int kStreams = 3;
constexpr int kKills = 40;
// The files fetched in parts: each split over four connections, three of
// them at a time.
constexpr int kSplitVideos = 6;
constexpr int kSplitKills = 24;
constexpr int kConnections = 4;
constexpr int kAtOnce = 3;
// The piece in the middle of each stream sends its last byte after about 1.2
// seconds: the pieces before it reach the store while the stream goes on,
// since the keeper writes progress once a second.
constexpr uint64_t kSlowPieceSize = 64 * 1024 + 1;
constexpr uint64_t kSlowPiecePace = 54000;
constexpr const char* kPartSuffix = ".tarnwick.part";
// What one kill may cost the program again: the bytes the transfer had
// gathered for its next write.
constexpr uint64_t kWriteBuffer = 256 * 1024;

// A streamed video as served: its pieces, one after another, and where each ends.
struct Stream {
    std::string address;
    std::string bytes;
    std::vector<uint64_t> ends;
    uint64_t playlist_size = 0;
};

class CrashTortureTest : public testing::Test {
protected:
    CrashTortureTest() { fs::create_directory(videos_); }

    // `count` videos of `size` bytes and `step` more each.
    void ServeVideos(int count, uint64_t size, uint64_t step) {
        for (int i = 0; i < count; ++i) {
            ServedFile video;
            video.size = size + static_cast<uint64_t>(i) * step;
            video.offset = static_cast<uint64_t>(i) * 7919;
            video.etag = "\"v" + std::to_string(i) + "\"";
            const std::string name = std::to_string(i) + ".flv";
            server_.Serve("/putfile.com/" + name,
                          test_support::Answer::Http(
                              200, "OK", {}, "<a href='" + server_.Url("/v/" + name) + "'>"));
            server_.ServeFile("/v/" + name, video);
            videos_by_name_[name] = video;
            total_ += video.size;
        }
    }
    size_t Items() const { return videos_by_name_.size() + streams_by_name_.size(); }

    void ServeStream(int index) {
        const std::string folder = "/hls" + std::to_string(index) + "/";
        const int count = 20 + 8 * index;
        Stream stream;
        std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n";
        for (int i = 0; i < count; ++i) {
            const std::string piece = folder + std::to_string(i) + ".ts";
            ServedFile bytes;
            if (i == count / 2) {
                bytes.size = kSlowPieceSize;
                server_.Serve(piece, test_support::Answer()
                                         .Head("HTTP/1.1 200 OK\r\nContent-Length: " +
                                               std::to_string(kSlowPieceSize) + "\r\n\r\n")
                                         .PacedBody(kSlowPieceSize, kSlowPiecePace));
            } else {
                bytes.size = 4000 + static_cast<uint64_t>(i * 7919 + index * 104729) % 45000;
                bytes.offset = static_cast<uint64_t>(i * 37 + index * 101);
                server_.ServeFile(piece, bytes);
            }
            stream.bytes += test_support::FileBytes(bytes);
            stream.ends.push_back(stream.bytes.size());
            playlist += "#EXTINF:2,\n" + std::to_string(i) + ".ts\n";
        }
        playlist += "#EXT-X-ENDLIST\n";
        const std::string address = folder + "stream" + std::to_string(index) + ".m3u8";
        server_.Serve(address,
                      test_support::Answer::Http(
                          200, "OK", {"Content-Type: application/vnd.apple.mpegurl"}, playlist));
        stream.address = server_.Url(address);
        stream.playlist_size = playlist.size();
        total_ += stream.bytes.size() + playlist.size();
        streams_by_name_["stream" + std::to_string(index) + ".ts"] = std::move(stream);
    }

    ChildEnd Child(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(),
                         {"--data", data_, "--videos", videos_, "--report", report_});
        arguments.insert(arguments.end(), run_options_.begin(), run_options_.end());
        return RunChild(arguments);
    }

    std::vector<std::string> Addresses() const {
        std::vector<std::string> addresses;
        for (const auto& [name, stream] : streams_by_name_) {
            addresses.push_back("--add");
            addresses.push_back(stream.address);
        }
        for (const auto& [name, video] : videos_by_name_) {
            addresses.push_back("--add");
            addresses.push_back(server_.Url("/putfile.com/" + name));
        }
        return addresses;
    }

    // The kept list, as a started program finds it; also checks the folder.
    std::vector<platform::StoredItem> CheckState(const std::string& when) {
        SCOPED_TRACE(when);
        sqlite::SqliteListStore store(data_ + "/downloads.db");
        EXPECT_TRUE(store.Opening().moved_aside_to.empty()) << "the database did not open";
        EXPECT_TRUE(store.Opening().unusable_reason.empty()) << store.Opening().unusable_reason;
        const std::vector<platform::StoredItem> items = store.LoadAll().items;
        std::set<std::string> addresses;
        std::set<std::string> temporary_paths;
        for (const platform::StoredItem& item : items) {
            addresses.insert(item.page_address);
            if (const std::optional<transfer::Kept> kept = transfer::ReadKept(item.kept)) {
                for (const std::string& path : transfer::PathsOf(*kept))
                    temporary_paths.insert(path);
            }
        }
        EXPECT_EQ(items.size(), Items()) << "an item was lost or doubled";
        EXPECT_EQ(addresses.size(), Items());
        for (const platform::StoredItem& item : items) CheckKeptBytes(item);
        CheckHistory(store, items);
        for (const auto& entry : fs::directory_iterator(videos_)) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(kPartSuffix)) {
                EXPECT_EQ(temporary_paths.count(entry.path().string()), 1u)
                    << name << " belongs to no listed item";
                continue;
            }
            if (const auto stream = streams_by_name_.find(name); stream != streams_by_name_.end()) {
                EXPECT_TRUE(test_support::ReadWholeFile(entry.path().string()) ==
                            stream->second.bytes)
                    << name << " is not its pieces byte for byte";
                continue;
            }
            const auto video = videos_by_name_.find(name);
            if (video == videos_by_name_.end()) {
                ADD_FAILURE() << "a file of no video: " << name;
                continue;
            }
            EXPECT_TRUE(test_support::ReadWholeFile(entry.path().string()) ==
                        test_support::FileBytes(video->second))
                << name << " is not its video byte for byte";
        }
        return items;
    }

    // Every item that completed is in the history once, with its file; none
    // that did not is.
    void CheckHistory(sqlite::SqliteListStore& store,
                      const std::vector<platform::StoredItem>& items) {
        sqlite::SqliteHistory history(store);
        std::map<std::string, int> entries;
        for (const platform::HistoryEntry& entry : history.Page("", 0, 100000)) {
            ++entries[entry.page_address];
            EXPECT_EQ(fs::path(entry.path).parent_path(), fs::path(videos_));
        }
        for (const platform::StoredItem& item : items) {
            const bool complete = item.state == static_cast<int>(list::ItemState::kComplete);
            EXPECT_EQ(entries[item.page_address], complete ? 1 : 0) << item.page_address;
        }
    }

    // The bytes an item counts are on disk in its temporary file, and they are
    // its video's first bytes; a stream's end where a piece ends, the one its
    // record names.
    void CheckKeptBytes(const platform::StoredItem& item) {
        if (item.kept.empty()) return;
        SCOPED_TRACE(item.page_address);
        const std::optional<transfer::Kept> kept = transfer::ReadKept(item.kept);
        ASSERT_TRUE(kept.has_value()) << "a kept record that is none: " << item.kept;
        const std::optional<transfer::KeptOne> one = transfer::SingleOf(*kept);
        ASSERT_TRUE(one.has_value()) << "no pair is downloaded here";
        const Stream* stream = StreamAt(item.page_address);
        const std::string video =
            stream != nullptr ? stream->bytes
                              : test_support::FileBytes(videos_by_name_.at(item.page_address.substr(
                                    item.page_address.find_last_of('/') + 1)));
        const std::string on_disk = test_support::ReadWholeFile(transfer::PathOf(*one));
        const auto counted = static_cast<size_t>(transfer::BytesOf(*one));
        ASSERT_LE(counted, on_disk.size()) << "bytes counted that are not on disk";
        EXPECT_TRUE(on_disk.compare(0, counted, video, 0, counted) == 0)
            << "bytes of another video";
        if (const auto* parts = std::get_if<transfer::KeptParts>(&*one)) {
            CheckParts(parts->layout, on_disk, video);
        }
        if (stream == nullptr || counted == 0) return;
        const auto* pieces = std::get_if<transfer::KeptStream>(&*one);
        ASSERT_NE(pieces, nullptr) << "pieces kept as something else: " << item.kept;
        ASSERT_EQ(pieces->total, stream->ends.size());
        ASSERT_GT(pieces->pieces, 0u);
        EXPECT_EQ(counted, stream->ends[pieces->pieces - 1]) << "not the pieces its record names";
    }

    // Each part's bytes counted are on disk where they belong.
    void CheckParts(const transfer::PartLayout& layout, const std::string& on_disk,
                    const std::string& video) {
        ++parts_checked_;
        ASSERT_EQ(layout.Total(), static_cast<int64_t>(video.size())) << "parts of another size";
        for (const transfer::FilePart& part : layout.Parts()) {
            const auto start = static_cast<size_t>(part.start);
            const auto done = static_cast<size_t>(part.done);
            ASSERT_LE(start + done, on_disk.size()) << "a part counts bytes not on disk";
            EXPECT_TRUE(on_disk.compare(start, done, video, start, done) == 0)
                << "a part holds bytes of another video from " << start;
        }
    }

    // Runs the list to its end: every video is there, byte for byte, and
    // nothing else.
    void RunToTheEndAndCheck() {
        ASSERT_EQ(Child({"--run"}).status, 0);
        ASSERT_EQ(Child({}).status, 0);
        const std::vector<platform::StoredItem> items = CheckState("at the end");
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(videos_)) {
            files.insert(entry.path().filename().string());
        }
        std::set<std::string> names;
        for (const auto& [name, video] : videos_by_name_) names.insert(name);
        for (const auto& [name, stream] : streams_by_name_) names.insert(name);
        EXPECT_EQ(files, names) << "every video, byte for byte, and nothing else";
        for (const platform::StoredItem& item : items) {
            EXPECT_EQ(item.state, static_cast<int>(list::ItemState::kComplete))
                << item.page_address;
        }
    }

    // What the program took in, over all its runs, as the report tells.
    uint64_t ReceivedInAll() const {
        std::ifstream report(report_);
        uint64_t received = 0;
        for (std::string line; std::getline(report, line);) {
            if (line.starts_with("received ")) received += std::stoull(line.substr(9));
        }
        return received;
    }

    const Stream* StreamAt(const std::string& address) const {
        for (const auto& [name, stream] : streams_by_name_) {
            if (stream.address == address) return &stream;
        }
        return nullptr;
    }

    bool AStreamIsUnfinished(const std::vector<platform::StoredItem>& items) const {
        return std::any_of(items.begin(), items.end(), [this](const platform::StoredItem& item) {
            return StreamAt(item.page_address) != nullptr &&
                   item.state != static_cast<int>(list::ItemState::kComplete);
        });
    }

    int RangeRequests() const {
        int count = 0;
        for (const test_support::Request& request : server_.Requests()) {
            if (request.Header("Range")) ++count;
        }
        return count;
    }

    test_support::TempFolder folder_;
    const std::string data_ = folder_.File("data");
    const std::string videos_ = folder_.File("videos");
    const std::string report_ = folder_.File("kills");
    test_support::LoopbackServer server_;
    std::map<std::string, ServedFile> videos_by_name_;
    std::map<std::string, Stream> streams_by_name_;
    uint64_t total_ = 0;
    // Given to every start of the program.
    std::vector<std::string> run_options_;
    // Items found with parts of a file kept.
    int parts_checked_ = 0;
};

unsigned Seed() {
    const char* given = std::getenv("TARNWICK_CRASH_SEED");
    const unsigned seed = given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                           : std::random_device()();
    std::printf("crash test seed: %u (TARNWICK_CRASH_SEED=%u replays it)\n", seed, seed);
    return seed;
}

TEST_F(CrashTortureTest, AKillAtAnyPointCostsNothingButTheTimeItWasDown) {
    for (int i = 0; i < kStreams; ++i) ServeStream(i);
    ServeVideos(kVideos, 1000000, 150001);
    std::mt19937 random(Seed());

    ASSERT_EQ(Child(Addresses()).status, 0);
    std::vector<platform::StoredItem> items = CheckState("after listing");
    int kills = 0;
    for (int round = 0; round < kKills; ++round) {
        // Half of the rounds at piece batches while they come; past the
        // streams, such a round would run the whole list.
        const bool streaming = AStreamIsUnfinished(items) && random() % 2 == 0;
        const auto kind = streaming ? 2 : random() % 2;
        const char* point = kind == 0   ? "--kill-after-blocks"
                            : kind == 1 ? "--kill-after-writes"
                                        : "--kill-after-pieces";
        const long k = std::uniform_int_distribution<long>(1, kind == 0   ? 120
                                                              : kind == 1 ? 8
                                                                          : 24)(random);
        const ChildEnd end = Child({"--run", point, std::to_string(k)});
        ASSERT_TRUE(end.Killed() || end.status == 0) << "round " << round;
        kills += end.Killed() ? 1 : 0;
        // The restart: what a started program finds.
        ASSERT_EQ(Child({}).status, 0);
        items = CheckState("after round " + std::to_string(round));
    }

    RunToTheEndAndCheck();

    std::ifstream report(report_);
    int during_transfer = 0;
    int during_stream = 0;
    for (std::string line; std::getline(report, line);) {
        during_transfer += line == "transfer";
        during_stream += line == "stream";
    }
    const uint64_t received = ReceivedInAll();
    // What the program took in twice, and what the server sent twice: the
    // latter also counts what was on its way through the sockets at a kill.
    const uint64_t twice = received - total_;
    const uint64_t sent_twice = server_.BodyBytesSent() - total_;
    std::printf(
        "kills: %d, %d of them during a transfer, %d during a stream; Range requests: %d\n"
        "bytes fetched twice: %llu (%.1f KiB per kill); sent twice by the server, "
        "those in flight at a kill included: %llu\n",
        kills, during_transfer, during_stream, RangeRequests(),
        static_cast<unsigned long long>(twice),
        kills > 0 ? static_cast<double>(twice) / 1024 / kills : 0.0,
        static_cast<unsigned long long>(sent_twice));
    // A stream goes on from the pieces the store last heard of, which may be
    // none: a kill during one costs it again at most, with its playlist.
    uint64_t largest_stream = 0;
    for (const auto& [name, stream] : streams_by_name_) {
        largest_stream =
            std::max<uint64_t>(largest_stream, stream.bytes.size() + stream.playlist_size);
    }
    EXPECT_LE(twice, static_cast<uint64_t>(kills - during_stream) * kWriteBuffer +
                         static_cast<uint64_t>(during_stream) * largest_stream)
        << "more than a buffer a kill, or a stream a kill during one";
}

TEST_F(CrashTortureTest, KillsWhileFilesComeInPartsSeveralAtOnceLoseNothing) {
    ServeVideos(kSplitVideos, 9 * 1024 * 1024, 1024 * 1024 + 4099);
    run_options_ = {"--connections", std::to_string(kConnections), "--at-once",
                    std::to_string(kAtOnce)};
    std::mt19937 random(Seed());

    ASSERT_EQ(Child(Addresses()).status, 0);
    CheckState("after listing");
    int kills = 0;
    for (int round = 0; round < kSplitKills; ++round) {
        const bool at_block = random() % 3 != 0;
        const long k = std::uniform_int_distribution<long>(1, at_block ? 900 : 12)(random);
        const ChildEnd end = Child(
            {"--run", at_block ? "--kill-after-blocks" : "--kill-after-writes", std::to_string(k)});
        ASSERT_TRUE(end.Killed() || end.status == 0) << "round " << round;
        kills += end.Killed() ? 1 : 0;
        ASSERT_EQ(Child({}).status, 0);
        CheckState("after round " + std::to_string(round));
    }
    RunToTheEndAndCheck();

    EXPECT_GT(parts_checked_, 0) << "no kill found a file in parts";
    // Parts go on from what the list last kept of them, which the keeper
    // writes once a second: a kill may cost up to a second of each part.
    const uint64_t twice = ReceivedInAll() - total_;
    std::printf("kills: %d; bytes fetched twice: %llu (%.1f KiB per kill)\n", kills,
                static_cast<unsigned long long>(twice),
                kills > 0 ? static_cast<double>(twice) / 1024 / kills : 0.0);
}

// The bytes of a media playlist's pieces, one after another, and where
// each ends, as the server serves them from `folder`.
Stream PiecesIn(const fs::path& folder, const std::string& playlist) {
    Stream stream;
    std::ifstream in(folder / playlist);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#') continue;
        stream.bytes += test_support::ReadWholeFile(
            (folder / fs::path(playlist).parent_path() / line).string());
        stream.ends.push_back(stream.bytes.size());
    }
    return stream;
}

// A picture and its sound that come apart, killed while their pieces come:
// each keeps the pieces it wrote, byte for byte, and once ffmpeg joins them
// the video is whole.
TEST_F(CrashTortureTest, KillsDuringAPictureAndItsSoundLoseNothing) {
    const std::optional<std::string> ffmpeg = test_support::FindOnPath("ffmpeg");
    const std::optional<std::string> ffprobe = test_support::FindOnPath("ffprobe");
    if (!ffmpeg || !ffprobe) GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path media = folder_.File("media");
    const test_support::HlsFixture fixture =
        test_support::MakeHlsFixture(test_support::HlsForm::kMasterSoundApart, *ffmpeg, media);
    test_support::ServeFolder(server_, media);
    const Stream picture = PiecesIn(media, "720/index.m3u8");
    const Stream sound = PiecesIn(media, "sound/index.m3u8");
    // Slow enough for the kills to find it under way.
    server_.LimitEachConnection(128 * 1024);
    run_options_ = {"--ffmpeg"};
    ASSERT_EQ(Child({"--add", server_.Url(fixture.playlist)}).status, 0);
    std::mt19937 random(Seed());
    int during = 0;
    for (int round = 0; round < 8; ++round) {
        const bool pieces = random() % 2 == 0;
        const long k = std::uniform_int_distribution<long>(1, pieces ? 3 : 12)(random);
        const ChildEnd end = Child(
            {"--run", pieces ? "--kill-after-pieces" : "--kill-after-blocks", std::to_string(k)});
        ASSERT_TRUE(end.Killed() || end.status == 0) << "round " << round;
        ASSERT_EQ(Child({}).status, 0);
        sqlite::SqliteListStore store(data_ + "/downloads.db");
        const std::vector<platform::StoredItem> items = store.LoadAll().items;
        ASSERT_EQ(items.size(), 1u);
        if (items[0].kept.empty()) continue;
        const std::optional<transfer::Kept> kept = transfer::ReadKept(items[0].kept);
        ASSERT_TRUE(kept.has_value()) << items[0].kept;
        const auto* pair = std::get_if<transfer::KeptPair>(&*kept);
        ASSERT_NE(pair, nullptr) << "a pair is kept as one: " << items[0].kept;
        ++during;
        for (const auto& [one, served] :
             {std::pair(pair->picture, &picture), std::pair(pair->sound, &sound)}) {
            if (!one) continue;
            const auto& stream = std::get<transfer::KeptStream>(*one);
            const std::string on_disk = test_support::ReadWholeFile(stream.path);
            ASSERT_LE(static_cast<size_t>(stream.bytes), on_disk.size());
            EXPECT_TRUE(on_disk.compare(0, stream.bytes, served->bytes, 0, stream.bytes) == 0)
                << "bytes of another stream in " << stream.path;
            ASSERT_EQ(stream.total, served->ends.size());
            if (stream.pieces > 0)
                EXPECT_EQ(static_cast<uint64_t>(stream.bytes), served->ends[stream.pieces - 1]);
        }
    }
    ASSERT_EQ(Child({"--run"}).status, 0);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(videos_))
        files.push_back(entry.path().filename().string());
    ASSERT_EQ(files, std::vector<std::string>{"master.mp4"}) << "the video, and nothing else";
    const test_support::ProbedVideo video =
        test_support::ProbeVideo(*ffprobe, videos_ + "/master.mp4");
    EXPECT_EQ(video.height, 720);
    EXPECT_TRUE(video.sound);
    EXPECT_NEAR(video.seconds, test_support::kHlsSeconds, 0.5);
    std::printf("rounds that found the pair under way: %d\n", during);
    EXPECT_GT(during, 0) << "no kill found the pair under way";
}

// A list that an earlier version kept in separate fields goes on with what
// each item kept: a file from its start, a file in parts, a stream's pieces.
TEST_F(CrashTortureTest, AListOfAnEarlierVersionGoesOnWithWhatItKept) {
    ServeVideos(2, 9 * 1024 * 1024, 1024 * 1024 + 4099);
    ServeStream(0);
    const ServedFile& plain = videos_by_name_.at("0.flv");
    const ServedFile& parted = videos_by_name_.at("1.flv");
    const Stream& stream = streams_by_name_.at("stream0.ts");
    const std::string plain_bytes = test_support::FileBytes(plain);
    const std::string parted_bytes = test_support::FileBytes(parted);
    // What an earlier try left: half the first file, two parts of the second
    // partly, and the stream's first five pieces.
    const std::string plain_path = videos_ + "/0.flv.1.tarnwick.part";
    const std::string parted_path = videos_ + "/1.flv.2.tarnwick.part";
    const std::string stream_path = videos_ + "/stream0.ts.3.tarnwick.part";
    const uint64_t half = plain.size / 2;
    test_support::WriteWholeFile(plain_path, plain_bytes.substr(0, half));
    const uint64_t cut = parted.size / 2;
    std::string parted_file(parted.size, '\0');
    parted_file.replace(0, 1000, parted_bytes.substr(0, 1000));
    parted_file.replace(cut, 3000, parted_bytes.substr(cut, 3000));
    test_support::WriteWholeFile(parted_path, parted_file);
    test_support::WriteWholeFile(stream_path, stream.bytes.substr(0, stream.ends[4]));
    // The fingerprint of the stream's pieces, as the earlier version made it.
    std::vector<driver::StreamPiece> stream_pieces;
    for (size_t i = 0; i < stream.ends.size(); ++i) {
        stream_pieces.push_back(
            {stream.address.substr(0, stream.address.rfind('/') + 1) + std::to_string(i) + ".ts"});
    }
    const uint64_t fingerprint = driver::FingerprintOf(stream_pieces);
    char mark[64];
    std::snprintf(mark, sizeof mark, "hls:5/%zu/%016llx", stream.ends.size(),
                  static_cast<unsigned long long>(fingerprint));
    const auto quoted = [](const std::string& text) {
        std::string sql = "'";
        for (const char c : text) sql += c == '\'' ? std::string("''") : std::string(1, c);
        return sql + "'";
    };
    const auto row = [&](int id, const std::string& address, const std::string& name, int size_kind,
                         uint64_t total, uint64_t kept, const std::string& path,
                         const std::string& validator, const std::string& parts) {
        return "INSERT INTO items VALUES (" + std::to_string(id) + ", " + std::to_string(id) +
               ", " + quoted(address) + ", " +
               std::to_string(
                   std::max(resolve::GetSiteIndex(address), int{resolve::kSiteGeneral})) +
               ", 4, " + quoted(name) + ", 6, " + std::to_string(size_kind) + ", " +
               std::to_string(total) + ", " + std::to_string(kept) + ", -1, 0, '', " +
               quoted(path) + ", " + quoted(validator) + ", '', " + quoted(parts) + "); ";
    };
    fs::create_directories(data_);
    const std::string parts = "0-" + std::to_string(cut) + "=1000 " + std::to_string(cut) + "-" +
                              std::to_string(parted.size) + "=3000";
    const std::string sql =
        "CREATE TABLE items (id INTEGER PRIMARY KEY AUTOINCREMENT, order_key INTEGER NOT NULL, "
        "page_address TEXT NOT NULL, site INTEGER NOT NULL, name_kind INTEGER NOT NULL, "
        "name TEXT NOT NULL, state INTEGER NOT NULL, size_kind INTEGER NOT NULL, "
        "total_size INTEGER NOT NULL, kept INTEGER NOT NULL, failure_reason INTEGER NOT NULL, "
        "http_status INTEGER NOT NULL, failure_detail TEXT NOT NULL, temporary_path TEXT NOT NULL, "
        "validator TEXT NOT NULL, resolved TEXT NOT NULL, parts TEXT NOT NULL); "
        "CREATE INDEX items_by_order ON items (order_key); " +
        row(1, server_.Url("/putfile.com/0.flv"), "0.flv", 1, plain.size, half, plain_path,
            plain.etag, "") +
        row(2, server_.Url("/putfile.com/1.flv"), "1.flv", 1, parted.size, 1000, parted_path,
            parted.etag, parts) +
        row(3, stream.address, "stream0.ts", 5, 0, stream.ends[4], stream_path, mark, "") +
        "PRAGMA user_version = 4;";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/downloads.db").c_str(), &db), SQLITE_OK);
    const int written = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(written, SQLITE_OK);
    RunToTheEndAndCheck();

    std::vector<std::string> ranges;
    std::set<std::string> pieces;
    for (const test_support::Request& request : server_.Requests()) {
        if (request.method == "GET" && request.target.starts_with("/v/")) {
            ranges.push_back(request.target + " " + request.Header("Range").value_or("whole"));
        }
        if (request.target.ends_with(".ts")) pieces.insert(request.target);
    }
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{
                          "/v/0.flv bytes=" + std::to_string(half) + "-", "/v/1.flv bytes=1000-",
                          "/v/1.flv bytes=" + std::to_string(cut + 3000) + "-"}));
    EXPECT_EQ(pieces.size(), stream.ends.size() - 5) << "the pieces kept are not asked again";
}

} // namespace
} // namespace tarnwick
