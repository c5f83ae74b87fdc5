// A streamed video's MPEG-TS pieces made into an MP4 by ffmpeg, or a picture
// and its sound joined, where the user has it: the streams are copied, never
// encoded again, and nothing that is already there is overwritten. ffmpeg's
// exit status is no proof that it made the file: what it made is checked.
#pragma once

#include "common/result.h"
#include "platform/child_process.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::driver {

// ffmpeg's arguments to copy the streams of `input` into an MP4 (or, with
// `container` "mkv", a Matroska file) at `output`, with the sound of `sound`
// instead when that is given, its progress written to standard output. `aac`:
// the sound is AAC in ADTS frames, which MP4 holds otherwise.
std::vector<std::string> RemuxArguments(const std::string& input, const std::string& sound,
                                        const std::string& output, bool aac,
                                        std::string_view container = "mp4");

// What ffmpeg was given, to tell whether it made all of it.
struct ConversionInput {
    // The bytes of its input files together.
    int64_t bytes = 0;
    // How long they play, where that is known.
    std::optional<int64_t> playing_ms;
};

// How long the video ffmpeg wrote plays, as its own progress (standard
// output) told it last; none when it told nothing.
std::optional<int64_t> WrittenPlayingMs(std::string_view progress);

// Whether a conversion that ended so made a file (of `output_bytes`) that
// holds what it was given: it ended well, its file is of about the size of
// its input (a copy into another container loses the old one's framing, up
// to a fifth, and gains little), and it plays as long, give or take a
// second. The failure says why not, in a few words (kNotJoined).
Status CheckConversion(const platform::ChildEnd& end, int64_t output_bytes,
                       const ConversionInput& input);

} // namespace tarnwick::driver
