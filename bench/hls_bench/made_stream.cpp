#include "made_stream.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace tarnwick::bench {
namespace {

constexpr uint16_t kPatPid = 0x0000;
constexpr uint16_t kPmtPid = 0x1000;
constexpr uint16_t kSoundPid = 0x0100;
constexpr size_t kPayloadSize = kTsPacketSize - 4;

// MPEG-1 Layer III at 320 kb/s, 48 kHz, stereo, without CRC: 960 bytes a
// frame, each 24 ms long, which is 2160 ticks of the 90 kHz clock.
constexpr char kFrameHeader[] = {'\xFF', '\xFB', '\xE4', '\x00'};
constexpr size_t kFrameSize = 960;
constexpr uint64_t kFrameTicks = 2160;
constexpr uint64_t kFirstPts = 90000;
constexpr uint64_t kPtsMask = (uint64_t{1} << 33) - 1;

constexpr int kFramesPerPes = 16;
constexpr int kPesPerSegment = 127;
constexpr size_t kPesHeaderSize = 14;
constexpr size_t kPesSize = kPesHeaderSize + kFramesPerPes * kFrameSize;
constexpr size_t kPacketsPerPes = (kPesSize + kPayloadSize - 1) / kPayloadSize;
// The two tables, then the sound.
constexpr size_t kPacketsPerSegment = 2 + kPacketsPerPes * kPesPerSegment;

uint32_t MpegCrc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<uint32_t>(static_cast<unsigned char>(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000) != 0 ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
        }
    }
    return crc;
}

void AppendBigEndian(std::string& out, uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

// Appends `unit` (a PES packet, or a table's packet payload) as the TS
// packets of `pid`, the last filled out by an adaptation field of stuffing.
void AppendUnit(std::string& out, uint16_t pid, std::string_view unit, unsigned& counter) {
    for (bool first = true; !unit.empty(); first = false) {
        const size_t taken = std::min(unit.size(), kPayloadSize);
        const size_t stuffing = kPayloadSize - taken;
        out += '\x47';
        out += static_cast<char>((first ? 0x40 : 0x00) | (pid >> 8));
        out += static_cast<char>(pid & 0xFF);
        out += static_cast<char>((stuffing > 0 ? 0x30 : 0x10) | (counter++ & 0x0F));
        if (stuffing > 0) {
            out += static_cast<char>(stuffing - 1);
            if (stuffing > 1) {
                out += '\x00';
                out.append(stuffing - 2, '\xFF');
            }
        }
        out.append(unit.substr(0, taken));
        unit.remove_prefix(taken);
    }
}

// A table's packet: the pointer field, the section with its CRC, then 0xFF.
void AppendTable(std::string& out, uint16_t pid, std::string section, unsigned counter) {
    AppendBigEndian(section, MpegCrc32(section), 4);
    std::string payload = '\x00' + section;
    payload.resize(kPayloadSize, '\xFF');
    AppendUnit(out, pid, payload, counter);
}

// Program 1, whose map is at kPmtPid.
std::string PatSection() {
    std::string section = {'\x00', '\xB0', 13, '\x00', '\x01', '\xC1', '\x00', '\x00'};
    AppendBigEndian(section, 1, 2);
    AppendBigEndian(section, 0xE000 | kPmtPid, 2);
    return section;
}

// Program 1: one MPEG audio stream at kSoundPid, which carries the clock.
std::string PmtSection() {
    std::string section = {'\x02', '\xB0', 18, '\x00', '\x01', '\xC1', '\x00', '\x00'};
    AppendBigEndian(section, 0xE000 | kSoundPid, 2);
    AppendBigEndian(section, 0xF000, 2);
    section += '\x03';
    AppendBigEndian(section, 0xE000 | kSoundPid, 2);
    AppendBigEndian(section, 0xF000, 2);
    return section;
}

// The time stamp's five bytes at `at`.
void WritePts(char* at, uint64_t pts) {
    at[0] = static_cast<char>(0x21 | ((pts >> 29) & 0x0E));
    at[1] = static_cast<char>((pts >> 22) & 0xFF);
    at[2] = static_cast<char>(0x01 | ((pts >> 14) & 0xFE));
    at[3] = static_cast<char>((pts >> 7) & 0xFF);
    at[4] = static_cast<char>(0x01 | ((pts << 1) & 0xFE));
}

// A PES packet of frames, its time stamp still 0.
std::string SoundPes() {
    std::string pes = {'\x00', '\x00', '\x01', '\xC0'};
    AppendBigEndian(pes, kPesSize - 6, 2);
    pes += {'\x80', '\x80', '\x05'};
    pes.append(5, '\x00');
    for (int frame = 0; frame < kFramesPerPes; ++frame) {
        pes.append(kFrameHeader, sizeof kFrameHeader);
        for (size_t i = sizeof kFrameHeader; i < kFrameSize; ++i) {
            pes += static_cast<char>((static_cast<size_t>(frame) + i) % 251);
        }
    }
    return pes;
}

// The packets of every segment, with the counters of the first and no time
// stamps: a segment is this with its own written in.
const std::string& SegmentPattern() {
    static const std::string pattern = [] {
        std::string out;
        out.reserve(kPacketsPerSegment * kTsPacketSize);
        AppendTable(out, kPatPid, PatSection(), 0);
        AppendTable(out, kPmtPid, PmtSection(), 0);
        unsigned counter = 0;
        const std::string pes = SoundPes();
        for (int unit = 0; unit < kPesPerSegment; ++unit) AppendUnit(out, kSoundPid, pes, counter);
        return out;
    }();
    return pattern;
}

} // namespace

std::string MadePlaylist(int segments) {
    std::string playlist =
        "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:4\n"
        "#EXT-X-MEDIA-SEQUENCE:0\n#EXT-X-PLAYLIST-TYPE:VOD\n";
    for (int index = 0; index < segments; ++index) {
        playlist += "#EXTINF:4.000,\n" + SegmentName(index) + "\n";
    }
    return playlist + "#EXT-X-ENDLIST\n";
}

std::string SegmentName(int index) { return "piece-" + std::to_string(index) + ".ts"; }

std::string MadeSegment(int index) {
    const auto segment = static_cast<uint64_t>(index);
    std::string out = SegmentPattern();
    // Each table's packet counts once a segment, the sound's many times.
    const uint64_t sound_packets = kPacketsPerPes * kPesPerSegment;
    uint64_t frame = segment * kPesPerSegment * kFramesPerPes;
    for (size_t packet = 0; packet < kPacketsPerSegment; ++packet) {
        char* bytes = out.data() + packet * kTsPacketSize;
        const bool table = packet < 2;
        const uint64_t counter = (bytes[3] & 0x0F) + segment * (table ? 1 : sound_packets);
        bytes[3] = static_cast<char>((bytes[3] & 0xF0) | (counter & 0x0F));
        const bool unit_start = (bytes[1] & 0x40) != 0;
        if (!table && unit_start) {
            // The stamp follows the PES packet's start code, length and flags.
            WritePts(bytes + 4 + 9, (kFirstPts + frame * kFrameTicks) & kPtsMask);
            frame += kFramesPerPes;
        }
    }
    return out;
}

size_t SegmentSize() { return kPacketsPerSegment * kTsPacketSize; }

} // namespace tarnwick::bench
