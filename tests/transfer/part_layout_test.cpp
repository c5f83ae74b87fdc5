// The parts of a file fetched over several connections: their text in the
// list, how they are cut for more connections, and how they join again.
#include "transfer/part_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {
namespace {

constexpr int64_t kLeast = PartLayout::kLeastPart;
constexpr int64_t kShort = PartLayout::kLeastShortPart;
constexpr int64_t kMiB = 1024 * 1024;

// The parts lie one after another from byte 0 to the file's end.
void ExpectCoversTheFile(const PartLayout& layout, int64_t total) {
    int64_t next = 0;
    for (const FilePart& part : layout.Parts()) {
        EXPECT_EQ(part.start, next);
        EXPECT_GT(part.end, part.start);
        EXPECT_LE(part.done, part.end - part.start);
        next = part.end;
    }
    EXPECT_EQ(next, total);
}

PartLayout Parsed(const std::string& text, int64_t total) {
    const std::optional<PartLayout> layout = PartLayout::Read(text, total);
    EXPECT_TRUE(layout) << text;
    return layout.value_or(PartLayout::Whole(total));
}

TEST(PartLayoutText, ReadsBackWhatItWrote) {
    const PartLayout layout = Parsed("0-10=3 10-25=0 25-40=15", 40);
    EXPECT_EQ(layout.Text(), "0-10=3 10-25=0 25-40=15");
    EXPECT_EQ(PartLayout::Read(layout.Text(), 40), layout);
    EXPECT_EQ(PartLayout::Whole(40, 7).Text(), "0-40=7");
}

TEST(PartLayoutText, FollowsEveryChange) {
    PartLayout layout = PartLayout::Whole(4 * PartLayout::kLeastPart);
    const std::string whole = layout.Text();
    layout.Split(0, 2);
    EXPECT_EQ(layout.Text(), "0-8388608=0 8388608-16777216=0") << "was " << whole;
    layout.Add(1, 5);
    EXPECT_EQ(layout.Text(), "0-8388608=0 8388608-16777216=5");
    layout.SplitLargest({});
    EXPECT_EQ(layout.Text(), "0-4194304=0 4194304-8388608=0 8388608-16777216=5");
    layout.TakeOverNext(0);
    EXPECT_EQ(layout.Text(), "0-8388608=0 8388608-16777216=5");
}

TEST(PartLayoutText, WritesFinishedNeighboursAsOne) {
    const PartLayout layout = Parsed("0-10=10 10-20=10 20-30=4 30-40=10 40-50=10", 50);
    EXPECT_EQ(layout.Text(), "0-20=20 20-30=4 30-50=20");
    const PartLayout read_back = Parsed(layout.Text(), 50);
    EXPECT_EQ(read_back.Count(), 3u);
    EXPECT_EQ(read_back.Done(), layout.Done());
    EXPECT_EQ(read_back.DoneFromStart(), layout.DoneFromStart());
    EXPECT_EQ(Parsed("0-10=10 10-20=10", 20).Text(), "0-20=20");
}

TEST(PartLayoutText, RefusesWhatIsNoLayoutOfTheFile) {
    const std::vector<std::string> refused = {
        "",                         // nothing
        "0-10=0 12-20=0",           // a gap
        "0-12=0 10-20=0",           // an overlap
        "5-20=0",                   // not from the first byte
        "0-10=11 10-20=0",          // more done than the part holds
        "0-10=0 10-15=0",           // short of the total
        "0-10=0 10-25=0",           // beyond the total
        "0-10=0 10-10=0 10-20=0",   // an empty part
        "0-10=0 10-5=0 5-20=0",     // a backwards part
        "0-10=-1 10-20=0",          // a negative count
        "0--10=0 10-20=0",          // a negative end
        "0-10=+1 10-20=0",          // a sign
        "junk",                     // no numbers
        "0-10=0,10-20=0",           // another separator
        "0-10=0  10-20=0",          // two blanks
        "0-10=0 10-20=0 ",          // a blank at the end
        " 0-10=0 10-20=0",          // a blank at the start
        "0-10=0 10-20",             // no count done
        "0-10 10-20=0",             // no count done in the middle
        "0-10=0 10-20=0x",          // trailing junk
        "0-99999999999999999999=0", // too large to be a size
    };
    for (const std::string& text : refused) {
        EXPECT_FALSE(PartLayout::Read(text, 20)) << '"' << text << '"';
    }
}

TEST(PartLayoutSplit, CutsWhatIsLeftIntoEvenParts) {
    PartLayout layout = PartLayout::Whole(4 * kLeast);
    EXPECT_EQ(layout.Split(0, 4), 4);
    ExpectCoversTheFile(layout, 4 * kLeast);
    for (const FilePart& part : layout.Parts()) EXPECT_EQ(part.end - part.start, kLeast);
}

TEST(PartLayoutSplit, NeverMakesAPartUnderTheLeast) {
    for (const int64_t total : {kShort - 1, 2 * kShort - 1, 3 * kShort + 5, 2 * kLeast - 1,
                                3 * kLeast + 5, 4 * kLeast - 1, 7 * kLeast + 3}) {
        for (const int count : {0, 1, 2, 4, 16}) {
            PartLayout layout = PartLayout::Whole(total);
            const int made = layout.Split(0, count);
            SCOPED_TRACE(testing::Message() << total << " bytes into " << count);
            EXPECT_EQ(made, static_cast<int>(layout.Count()));
            EXPECT_GE(made, 1);
            EXPECT_LE(made, std::max(count, 1));
            ExpectCoversTheFile(layout, total);
            if (made == 1) continue;
            const int64_t each = layout[0].end - layout[0].start;
            EXPECT_GE(each, PartLayout::LeastPartOf(total));
            for (size_t i = 1; i + 1 < layout.Count(); ++i) {
                EXPECT_EQ(layout[i].end - layout[i].start, each);
            }
            // The last takes the remainder too.
            EXPECT_GE(layout[layout.Count() - 1].end - layout[layout.Count() - 1].start, each);
            EXPECT_LT(layout[layout.Count() - 1].end - layout[layout.Count() - 1].start,
                      each + made);
        }
    }
    // 4 parts want 4 times the least; a byte short makes 3.
    PartLayout short_by_one = PartLayout::Whole(4 * kLeast - 1);
    EXPECT_EQ(short_by_one.Split(0, 4), 3);
    // The remainder of an uneven split goes to the last part.
    PartLayout uneven = PartLayout::Whole(4 * kLeast + 3);
    EXPECT_EQ(uneven.Split(0, 4), 4);
    EXPECT_EQ(uneven[3].end - uneven[3].start, kLeast + 3);
}

TEST(PartLayoutSplit, ThePartKeepsItsDoneBytes) {
    PartLayout layout = PartLayout::Whole(16 * kMiB, 1 * kMiB);
    EXPECT_EQ(layout.Split(0, 3), 3);
    ExpectCoversTheFile(layout, 16 * kMiB);
    EXPECT_EQ(layout[0], (FilePart{0, 6 * kMiB, 1 * kMiB}));
    EXPECT_EQ(layout[1], (FilePart{6 * kMiB, 11 * kMiB, 0}));
    EXPECT_EQ(layout[2], (FilePart{11 * kMiB, 16 * kMiB, 0}));
    EXPECT_EQ(layout.Done(), 1 * kMiB);
}

TEST(PartLayoutSplit, LeavesTheOtherPartsAlone) {
    PartLayout layout =
        Parsed("0-4194304=4194304 4194304-20971520=0 20971520-25165824=5", 6 * kLeast);
    EXPECT_EQ(layout.Split(1, 4), 4);
    ASSERT_EQ(layout.Count(), 6u);
    EXPECT_EQ(layout[0], (FilePart{0, kLeast, kLeast}));
    EXPECT_EQ(layout[5], (FilePart{5 * kLeast, 6 * kLeast, 5}));
    ExpectCoversTheFile(layout, 6 * kLeast);
}

TEST(PartLayoutSplitLargest, GivesTheSecondHalfOfTheLargestToANewPart) {
    PartLayout layout = Parsed("0-8388608=0 8388608-25165824=0 25165824-33554432=0", 8 * kLeast);
    EXPECT_EQ(layout.SplitLargest({}), std::optional<size_t>(2));
    EXPECT_EQ(layout[1], (FilePart{2 * kLeast, 4 * kLeast, 0}));
    EXPECT_EQ(layout[2], (FilePart{4 * kLeast, 6 * kLeast, 0}));
    ExpectCoversTheFile(layout, 8 * kLeast);
}

TEST(PartLayoutSplitLargest, WeighsWhatEachPartStillWants) {
    // The second part is larger, but most of it is done.
    PartLayout layout = Parsed("0-10485760=0 10485760-31457280=16777216", 30 * kMiB);
    EXPECT_EQ(layout.SplitLargest({}), std::optional<size_t>(1));
    EXPECT_EQ(layout[0], (FilePart{0, 5 * kMiB, 0}));
    EXPECT_EQ(layout[1], (FilePart{5 * kMiB, 10 * kMiB, 0}));
}

TEST(PartLayoutSplitLargest, NeverCutsBeforeWhatAConnectionHasBrought) {
    PartLayout layout = PartLayout::Whole(20 * kMiB, 1 * kMiB);
    // Its connection brought bytes up to 2 MiB, not all written out yet.
    EXPECT_EQ(layout.SplitLargest({2 * kMiB}), std::optional<size_t>(1));
    EXPECT_EQ(layout[0], (FilePart{0, 11 * kMiB, 1 * kMiB}));
    EXPECT_EQ(layout[1], (FilePart{11 * kMiB, 20 * kMiB, 0}));

    // A busy part loses to an idle one that wants more.
    PartLayout two = Parsed("0-20971520=0 20971520-33554432=0", 32 * kMiB);
    EXPECT_EQ(two.SplitLargest({15 * kMiB}), std::optional<size_t>(2));
    EXPECT_EQ(two[1], (FilePart{20 * kMiB, 26 * kMiB, 0}));
}

TEST(PartLayoutSplitLargest, RefusesHalvesUnderTheLeast) {
    PartLayout exactly = PartLayout::Whole(2 * kLeast);
    EXPECT_EQ(exactly.SplitLargest({}), std::optional<size_t>(1));

    PartLayout short_by_one = PartLayout::Whole(2 * kShort - 1);
    EXPECT_FALSE(short_by_one.SplitLargest({}));
    EXPECT_EQ(short_by_one, PartLayout::Whole(2 * kShort - 1));
    PartLayout short_file = PartLayout::Whole(2 * kLeast - 1);
    EXPECT_EQ(short_file.SplitLargest({}), std::optional<size_t>(1))
        << "a short file's parts may be shorter";

    PartLayout busy = PartLayout::Whole(10 * kMiB);
    EXPECT_FALSE(busy.SplitLargest({3 * kMiB}));
    EXPECT_EQ(busy.Count(), 1u);

    PartLayout done = PartLayout::Whole(3 * kLeast, 3 * kLeast);
    EXPECT_FALSE(done.SplitLargest({}));
}

TEST(PartLayoutTakeOver, JoinsAnUntouchedNextPart) {
    PartLayout layout = Parsed("0-10=10 10-20=0 20-30=2", 30);
    EXPECT_TRUE(layout.TakeOverNext(0));
    EXPECT_EQ(layout.Text(), "0-20=10 20-30=2");
    EXPECT_FALSE(layout.TakeOverNext(0)) << "the next part has bytes of its own";
    EXPECT_FALSE(layout.TakeOverNext(1)) << "the last part has none after it";
    EXPECT_EQ(layout.Text(), "0-20=10 20-30=2");
}

TEST(PartLayoutDone, CountsFromTheStartUpToTheFirstGap) {
    const PartLayout layout = Parsed("0-10=10 10-20=4 20-30=10", 30);
    EXPECT_EQ(layout.Done(), 24);
    EXPECT_EQ(layout.DoneFromStart(), 14);
    EXPECT_FALSE(layout.IsComplete());
    EXPECT_EQ(Parsed("0-10=0 10-20=10", 20).DoneFromStart(), 0);
    const PartLayout whole = Parsed("0-10=10 10-20=10", 20);
    EXPECT_EQ(whole.DoneFromStart(), 20);
    EXPECT_TRUE(whole.IsComplete());
}

TEST(PartLayoutLargeFile, KeepsSizesOver4GiBWhole) {
    constexpr int64_t kTotal = 5'000'000'000;
    PartLayout layout = PartLayout::Whole(kTotal);
    EXPECT_EQ(layout.Split(0, 4), 4);
    ExpectCoversTheFile(layout, kTotal);
    EXPECT_EQ(layout[3], (FilePart{3'750'000'000, kTotal, 0}));

    layout.Add(3, 1'000'000'000);
    layout.Add(0, 1'250'000'000);
    layout.Add(1, 1'250'000'000);
    EXPECT_EQ(layout.Done(), 3'500'000'000);
    EXPECT_EQ(layout.DoneFromStart(), 2'500'000'000);
    EXPECT_EQ(layout.Text(),
              "0-2500000000=2500000000 2500000000-3750000000=0 "
              "3750000000-5000000000=1000000000");
    EXPECT_EQ(PartLayout::Read(layout.Text(), kTotal)->Text(), layout.Text());

    // The third part wants the most: 1.25 GB, cut in two.
    EXPECT_EQ(layout.SplitLargest({}), std::optional<size_t>(3));
    EXPECT_EQ(layout[3], (FilePart{3'125'000'000, 3'750'000'000, 0}));
    // With the two before it busy, the last wants the most: 250 MB from 4.75 GB on.
    EXPECT_EQ(layout.SplitLargest({0, 0, 2'900'000'000, 3'600'000'000}), std::optional<size_t>(5));
    EXPECT_EQ(layout[5], (FilePart{4'875'000'000, kTotal, 0}));
    EXPECT_TRUE(layout.TakeOverNext(4));
    EXPECT_EQ(layout[4], (FilePart{3'750'000'000, kTotal, 1'000'000'000}));
    ExpectCoversTheFile(layout, kTotal);

    PartLayout sixteen = PartLayout::Whole(kTotal, 4'400'000'000);
    EXPECT_EQ(sixteen.Split(0, 16), 16);
    ExpectCoversTheFile(sixteen, kTotal);
    EXPECT_EQ(sixteen[0].Left(), (kTotal - 4'400'000'000) / 16);
    EXPECT_EQ(sixteen.Done(), 4'400'000'000);
}

} // namespace
} // namespace tarnwick::transfer
