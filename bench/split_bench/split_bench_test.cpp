#include "bench_options.h"
#include "figures.h"
#include "file_check.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"
#include "tool_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace tarnwick::bench {
namespace {

std::optional<BenchOptions> Read(const std::vector<std::string>& args) {
    std::string error;
    return ReadOptions(args, error);
}

TEST(BenchOptionsTest, QuickMakesTheFileSmallerAndRoundsFewerUnlessRoundsAreGiven) {
    const std::optional<BenchOptions> plain = Read({});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->rounds, 5);
    EXPECT_EQ(plain->file_size, 512ull << 20);

    const std::optional<BenchOptions> quick = Read({"--quick"});
    ASSERT_TRUE(quick);
    EXPECT_EQ(quick->rounds, 2);
    EXPECT_EQ(quick->file_size, 64ull << 20);

    for (const auto& args : {std::vector<std::string>{"--quick", "--rounds", "7"},
                             std::vector<std::string>{"--rounds", "7", "--quick"}}) {
        const std::optional<BenchOptions> both = Read(args);
        ASSERT_TRUE(both);
        EXPECT_EQ(both->rounds, 7);
        EXPECT_EQ(both->file_size, 64ull << 20);
    }
}

TEST(BenchOptionsTest, OnlyNamesOneGroup) {
    EXPECT_EQ(Read({})->only, "");
    EXPECT_EQ(Read({"--only", "unpaced", "--quick"})->only, "unpaced");
    EXPECT_EQ(Read({"--only", "paced"})->only, "paced");
    EXPECT_FALSE(Read({"--only", "fast"}));
    EXPECT_FALSE(Read({"--only"}));
}

TEST(BenchOptionsTest, RefusesWhatItDoesNotKnow) {
    for (const auto& args :
         {std::vector<std::string>{"--rounds"}, std::vector<std::string>{"--rounds", "0"},
          std::vector<std::string>{"--rounds", "3x"}, std::vector<std::string>{"--rounds", "-2"},
          std::vector<std::string>{"--fast"}}) {
        std::string error;
        EXPECT_FALSE(ReadOptions(args, error)) << args.back();
        EXPECT_FALSE(error.empty());
    }
}

TEST(FiguresTest, MedianIsTheMiddleOfTheSortedValues) {
    EXPECT_FALSE(Median({}));
    EXPECT_DOUBLE_EQ(*Median({3.0}), 3.0);
    EXPECT_DOUBLE_EQ(*Median({9.0, 1.0, 4.0}), 4.0);
    EXPECT_DOUBLE_EQ(*Median({8.0, 2.0, 4.0, 6.0}), 5.0);
}

TEST(FiguresTest, RatioLineIsTheFirstSpeedOverTheSecondWithItsTarget) {
    EXPECT_EQ(RatioLines("paced, 4 connections against 1", 76.4, 20.0, std::nullopt),
              "paced, 4 connections against 1: 3.82 x");
    EXPECT_EQ(RatioLines("unpaced, 4 connections against 1", 950.0, 1000.0, 0.95),
              "unpaced, 4 connections against 1: 0.95 x\n  target >= 0.95 x: met");
    EXPECT_EQ(RatioLines("paced, 4 connections against 1", 70.0, 20.0, 3.6),
              "paced, 4 connections against 1: 3.50 x\n  target >= 3.60 x: NOT met");
}

TEST(FiguresTest, MissingFiguresAreSaidSo) {
    EXPECT_EQ(RatioLines("a against b", std::nullopt, 2.0, 1.0), "a against b: no figure");
    EXPECT_EQ(RatioLines("a against b", 2.0, 0.0, 1.0), "a against b: no figure");
    EXPECT_NE(FigureLine("curl", std::nullopt, 1000, 5).find("no run finished (5 failed)"),
              std::string::npos);
    const std::string some_failed = FigureLine("curl", 2.0, 100000000, 1);
    EXPECT_NE(some_failed.find("50.0 MB/s"), std::string::npos) << some_failed;
    EXPECT_NE(some_failed.find("1 failed"), std::string::npos) << some_failed;
}

TEST(ToolCommandsTest, Aria2cSplitsAsFarAsTheProgramIntoTheGivenFile) {
    const std::vector<std::string> command =
        Aria2Command("/usr/bin/aria2c", "/tmp/x", "video.mp4", "http://127.0.0.1:1/v", 4);
    const auto has = [&](const std::string& word) {
        return std::find(command.begin(), command.end(), word) != command.end();
    };
    EXPECT_EQ(command.front(), "/usr/bin/aria2c");
    EXPECT_EQ(command.back(), "http://127.0.0.1:1/v");
    EXPECT_TRUE(has("-x4") && has("-s4") && has("--min-split-size=4M"));
    EXPECT_TRUE(has("--no-conf"));
    const auto folder = std::find(command.begin(), command.end(), "-d");
    const auto name = std::find(command.begin(), command.end(), "-o");
    ASSERT_TRUE(folder + 1 < command.end() && name + 1 < command.end());
    EXPECT_EQ(folder[1], "/tmp/x");
    EXPECT_EQ(name[1], "video.mp4");
}

class FileCheckTest : public ::testing::Test {
protected:
    static constexpr uint64_t kSize = 12 * 1024 * 1024 + 123;

    void SetUp() override {
        bytes_.resize(kSize);
        for (uint64_t i = 0; i < kSize; ++i) bytes_[i] = test_support::GeneratedByte(i);
    }
    std::string Written() {
        const std::string path = folder_.File("video.mp4");
        std::ofstream(path, std::ios::binary).write(bytes_.data(), std::streamsize(bytes_.size()));
        return path;
    }

    test_support::TempFolder folder_;
    std::string bytes_;
};

TEST_F(FileCheckTest, TheServedBytesPass) {
    EXPECT_EQ(FileProblem(Written(), kSize), std::nullopt);
}

TEST_F(FileCheckTest, AWrongSizeOrNoFileFails) {
    EXPECT_TRUE(FileProblem(folder_.File("missing"), kSize));
    bytes_.pop_back();
    EXPECT_TRUE(FileProblem(Written(), kSize));
}

TEST_F(FileCheckTest, APartNeverWrittenFails) {
    // A part of 4 MiB that no connection wrote reads as the zeros the room
    // on the disk was reserved with.
    std::fill(bytes_.begin() + 4 * 1024 * 1024, bytes_.begin() + 8 * 1024 * 1024, '\0');
    EXPECT_TRUE(FileProblem(Written(), kSize));
}

TEST_F(FileCheckTest, BytesWrittenAtTheWrongPlaceAcrossACutFail) {
    // The second half written one byte off where a split in two cuts.
    const uint64_t cut = kSize / 2;
    bytes_.erase(cut, 1);
    bytes_.push_back('\0');
    EXPECT_TRUE(FileProblem(Written(), kSize));
}

TEST_F(FileCheckTest, AShortLastPartInAFileOfFullSizeFails) {
    // The room was reserved for the whole file, but the last connection
    // stopped 64 KiB before its end.
    std::fill(bytes_.end() - 64 * 1024, bytes_.end(), '\0');
    EXPECT_TRUE(FileProblem(Written(), kSize));
}

TEST_F(FileCheckTest, ASmallFileIsReadWhole) {
    bytes_.resize(100);
    EXPECT_EQ(FileProblem(Written(), 100), std::nullopt);
    bytes_[99] = 'x';
    EXPECT_TRUE(FileProblem(Written(), 100));
}

} // namespace
} // namespace tarnwick::bench
