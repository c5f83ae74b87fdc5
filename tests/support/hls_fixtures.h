// Real HLS streams for tests, made at test time by ffmpeg into a folder: a
// few seconds of a test picture and a tone, small, in the forms servers
// publish them, and what ffprobe tells of the video a download made of them.
// Programs run directly (never through a shell) and are waited for: this is
// for tests, not for the program's event loop.
#pragma once

#include "support/loopback_server.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::test_support {

// The path of the executable `name` in a folder of PATH; none when missing.
std::optional<std::string> FindOnPath(std::string_view name);

struct ProgramEnd {
    int exit_code = -1; // -1 when it did not start or was killed
    std::string out;
    std::string err;
};

// Runs `program` (a path) with `arguments`, its standard input closed, and
// waits for its end.
ProgramEnd RunProgram(const std::string& program, const std::vector<std::string>& arguments);

enum class HlsForm {
    kMpegTs,           // MPEG-TS segments
    kFmp4,             // fragmented MP4 segments after an initialisation section
    kAesWithIv,        // AES-128, the IV given in the playlist
    kAesSequenceIv,    // AES-128 without an IV: each segment's sequence number is its IV
    kSingleFile,       // one MPEG-TS file, its segments as byte ranges
    kMaster,           // 180p and 360p with their sound, 720p with a sound rendition
    kMasterSoundApart, // only the 720p with its sound rendition
    // 360p to 1440p, narrow, with their sound, and English subtitles in
    // two WebVTT pieces that each count from 0
    kMasterOfFour,
};

// The subtitles of kMasterOfFour, joined.
inline constexpr const char* kMasterSubtitles =
    "WEBVTT\n\n00:00:00.500 --> 00:00:01.500\nOne\n\n00:00:02.500 --> 00:00:03.500\nTwo\n";

// Every stream lasts this long, at this rate.
inline constexpr double kHlsSeconds = 4;
inline constexpr int kHlsFramesPerSecond = 25;

struct HlsFixture {
    std::string playlist; // the address's path on a server of the folder, from "/"
    int height = 0;       // of the picture a download should choose
    // For the MPEG-TS forms of one stream: a file of the bytes its pieces
    // make, decrypted and put together; empty for the others.
    std::string plain;
};

// Writes the stream of `form` into `folder` with the ffmpeg at `ffmpeg`.
// Throws, with what ffmpeg said, when it fails.
HlsFixture MakeHlsFixture(HlsForm form, const std::string& ffmpeg,
                          const std::filesystem::path& folder);

// Serves every file under `folder` at "/" and its path there, ranges taken.
void ServeFolder(LoopbackServer& server, const std::filesystem::path& folder);

struct ProbedVideo {
    double seconds = 0;
    int64_t frames = 0; // decoded, of the picture
    int height = 0;
    bool sound = false;
};

// What the ffprobe at `ffprobe` tells of the video file at `path`, its
// frames counted by decoding them. Throws when ffprobe cannot read it.
ProbedVideo ProbeVideo(const std::string& ffprobe, const std::string& path);

} // namespace tarnwick::test_support
