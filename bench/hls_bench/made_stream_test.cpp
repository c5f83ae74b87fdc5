// The made-up stream must be MPEG-TS that a demuxer takes as one stream:
// whole packets, tables with good checksums, and counters and time stamps
// that go on from each segment into the next.
#include "made_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace tarnwick::bench {
namespace {

uint8_t At(const std::string& bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); }

// The MPEG CRC of a section followed by its own CRC is 0.
uint32_t MpegCrc32(const std::string& bytes, size_t from, size_t count) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = from; i < from + count; ++i) {
        crc ^= static_cast<uint32_t>(At(bytes, i)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000) ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
    }
    return crc;
}

TEST(MadeStreamTest, SegmentsAreWholePacketsThatBeginWithCheckedTables) {
    const std::string segment = MadeSegment(7);
    ASSERT_EQ(segment.size(), SegmentSize());
    EXPECT_NEAR(static_cast<double>(segment.size()), 2e6, 0.01e6);
    ASSERT_EQ(segment.size() % kTsPacketSize, 0u);
    for (size_t packet = 0; packet < segment.size(); packet += kTsPacketSize) {
        ASSERT_EQ(At(segment, packet), 0x47) << packet;
    }
    for (const size_t table : {size_t{0}, kTsPacketSize}) {
        // After the packet's header and pointer field: the section, its length in 12 bits.
        const size_t section = table + 5;
        const size_t length = (At(segment, section + 1) & 0x0F) << 8 | At(segment, section + 2);
        EXPECT_EQ(MpegCrc32(segment, section, 3 + length), 0u) << table;
    }
}

TEST(MadeStreamTest, CountersAndTimeStampsGoOnIntoTheNextSegment) {
    const std::string joined = MadeSegment(15) + MadeSegment(16) + MadeSegment(17);
    std::map<unsigned, unsigned> last_counter;
    uint64_t last_pts = 0;
    int stamps = 0;
    for (size_t packet = 0; packet < joined.size(); packet += kTsPacketSize) {
        const unsigned pid = (At(joined, packet + 1) & 0x1F) << 8 | At(joined, packet + 2);
        const unsigned counter = At(joined, packet + 3) & 0x0F;
        if (last_counter.contains(pid)) {
            ASSERT_EQ(counter, (last_counter[pid] + 1) % 16) << "pid " << pid << " at " << packet;
        }
        last_counter[pid] = counter;
        const bool starts_unit = (At(joined, packet + 1) & 0x40) != 0;
        if (pid != 0x100 || !starts_unit) continue;
        // A PES packet begins right after the header: its time stamp is at 9.
        const size_t pts = packet + 4 + 9;
        const uint64_t stamp = uint64_t{At(joined, pts) & 0x0Eu} << 29 |
                               uint64_t{At(joined, pts + 1)} << 22 |
                               uint64_t{At(joined, pts + 2) & 0xFEu} << 14 |
                               uint64_t{At(joined, pts + 3)} << 7 | At(joined, pts + 4) >> 1;
        if (stamps++ > 0) {
            ASSERT_EQ(stamp, last_pts + 16 * 2160) << packet;
        }
        last_pts = stamp;
    }
    EXPECT_EQ(last_counter.size(), 3u);
    EXPECT_EQ(stamps, 3 * 127);
}

} // namespace
} // namespace tarnwick::bench
