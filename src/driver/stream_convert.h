// A streamed video's MPEG-TS pieces made into an MP4 by ffmpeg, or a picture
// and its sound joined, where the user has it: the streams are copied, never
// encoded again, and nothing that is already there is overwritten. ffmpeg's
// exit status is no proof that it made the file: what it made is checked.
#pragma once

#include "common/result.h"
#include "platform/child_process.h"
#include "resolve/ytdlp_answer.h"

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

// The bitrate in kbit/s the sound is encoded at: the source's where known,
// never above it nor above what the form needs; a fair one where unknown.
int SoundKbps(const resolve::SoundOutput& sound);

// ffmpeg's arguments to make the first sound of `input` a file of
// `sound.kept_as` at `output`, copied where it fits as it is, else encoded
// at SoundKbps; tagged with the title and artist, and nothing of the input's
// own tags.
std::vector<std::string> SoundArguments(const std::string& input, const std::string& output,
                                        const resolve::SoundOutput& sound);

// A subtitle file to put inside a video, of a language ("en").
struct SubtitleInput {
    std::string path;
    std::string language;
};

// ffmpeg's arguments to copy the picture and sound of `video` into `output`
// with each subtitle as a stream of its own: MP4 text (mov_text) in an MP4,
// as they are in a Matroska file (`container` "mkv").
std::vector<std::string> EmbedArguments(const std::string& video,
                                        const std::vector<SubtitleInput>& subtitles,
                                        const std::string& output, std::string_view container);

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

// Whether the making of a sound file that ended so made one: it ended well,
// it is not empty, it is not larger than what it was made of, and it plays
// as long as its source where that is known, give or take two seconds.
Status CheckSoundConversion(const platform::ChildEnd& end, int64_t output_bytes,
                            const ConversionInput& input);

} // namespace tarnwick::driver
