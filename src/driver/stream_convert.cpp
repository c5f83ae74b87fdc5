#include "driver/stream_convert.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace tarnwick::driver {
namespace {

constexpr size_t kLongestDetail = 200;

// The last line that says something.
std::string LastLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    const size_t start = text.find_last_of("\r\n");
    if (start != std::string_view::npos) text.remove_prefix(start + 1);
    return std::string(text.substr(0, kLongestDetail));
}

std::vector<std::string> StartArguments() {
    return {"-hide_banner", "-loglevel", "error",    "-nostdin",
            "-progress",    "pipe:1",    "-nostats", "-n"};
}

} // namespace

std::vector<std::string> RemuxArguments(const std::string& input, const std::string& sound,
                                        const std::string& output, bool aac,
                                        std::string_view container) {
    std::vector<std::string> arguments = StartArguments();
    arguments.insert(arguments.end(), {"-i", input});
    if (!sound.empty()) {
        arguments.insert(arguments.end(), {"-i", sound, "-map", "0:v", "-map", "1:a"});
    }
    // Without maps, ffmpeg's own choice of streams: the picture and the
    // sound, without the data streams (timed metadata) an MP4 cannot hold.
    arguments.insert(arguments.end(), {"-c", "copy"});
    if (aac) arguments.insert(arguments.end(), {"-bsf:a", "aac_adtstoasc"});
    const std::string format = container == "mkv" ? "matroska" : "mp4";
    arguments.insert(arguments.end(), {"-f", format, output});
    return arguments;
}

int SoundKbps(const resolve::SoundOutput& sound) {
    using resolve::SoundOnly;
    const int most = sound.kept_as == SoundOnly::kMp3 ? 320 : 256;
    const int fair = sound.kept_as == SoundOnly::kOpus ? 96 : 128;
    if (sound.source_kbps <= 0) return fair;
    return std::clamp(sound.source_kbps, 8, most);
}

namespace {

// A tag's text without control characters.
std::string TagText(const std::string& text) {
    std::string tag;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) tag += c;
    }
    return tag;
}

} // namespace

std::vector<std::string> SoundArguments(const std::string& input, const std::string& output,
                                        const resolve::SoundOutput& sound) {
    using resolve::SoundOnly;
    std::vector<std::string> arguments = StartArguments();
    arguments.insert(arguments.end(), {"-i", input, "-map", "0:a:0", "-vn", "-sn", "-dn"});
    const char* encoder = sound.kept_as == SoundOnly::kMp3    ? "libmp3lame"
                          : sound.kept_as == SoundOnly::kOpus ? "libopus"
                                                              : "aac";
    if (sound.copy) {
        arguments.insert(arguments.end(), {"-c:a", "copy"});
    } else {
        arguments.insert(arguments.end(),
                         {"-c:a", encoder, "-b:a", std::to_string(SoundKbps(sound)) + "k"});
    }
    arguments.insert(arguments.end(), {"-map_metadata", "-1"});
    if (!sound.title.empty())
        arguments.insert(arguments.end(), {"-metadata", "title=" + TagText(sound.title)});
    if (!sound.artist.empty())
        arguments.insert(arguments.end(), {"-metadata", "artist=" + TagText(sound.artist)});
    const char* format = sound.kept_as == SoundOnly::kMp3    ? "mp3"
                         : sound.kept_as == SoundOnly::kOpus ? "opus"
                                                             : "ipod";
    arguments.insert(arguments.end(), {"-f", format, output});
    return arguments;
}

std::vector<std::string> EmbedArguments(const std::string& video,
                                        const std::vector<SubtitleInput>& subtitles,
                                        const std::string& output, std::string_view container) {
    std::vector<std::string> arguments = StartArguments();
    arguments.insert(arguments.end(), {"-i", video});
    for (const SubtitleInput& subtitle : subtitles)
        arguments.insert(arguments.end(), {"-i", subtitle.path});
    arguments.insert(arguments.end(), {"-map", "0:v", "-map", "0:a?"});
    for (size_t i = 0; i < subtitles.size(); ++i)
        arguments.insert(arguments.end(), {"-map", std::to_string(i + 1) + ":s"});
    const bool mkv = container == "mkv";
    arguments.insert(arguments.end(), {"-c", "copy", "-c:s", mkv ? "copy" : "mov_text"});
    for (size_t i = 0; i < subtitles.size(); ++i) {
        const std::string language = resolve::ThreeLetterLanguage(subtitles[i].language);
        if (language.empty()) continue;
        arguments.insert(arguments.end(),
                         {"-metadata:s:s:" + std::to_string(i), "language=" + language});
    }
    arguments.insert(arguments.end(), {"-f", mkv ? "matroska" : "mp4", output});
    return arguments;
}

namespace {

// Why a conversion that ended so failed, in a few words; none when it did not.
std::optional<std::string> EndFailure(const platform::ChildEnd& end) {
    using Kind = platform::ChildEnd::Kind;
    switch (end.kind) {
        case Kind::kExited:
            if (end.exit_code == 0) return std::nullopt;
            if (std::string line = LastLine(end.err_tail); !line.empty()) return "ffmpeg: " + line;
            return "ffmpeg ended with " + std::to_string(end.exit_code);
        case Kind::kCrashed: return "ffmpeg crashed";
        case Kind::kFailedToStart: return "ffmpeg could not start: " + LastLine(end.err_tail);
        case Kind::kTooMuchOutput: return "ffmpeg said too much";
    }
    return "ffmpeg failed";
}

std::string Seconds(int64_t ms) { return std::to_string((ms + 500) / 1000) + " s"; }

} // namespace

std::optional<int64_t> WrittenPlayingMs(std::string_view progress) {
    constexpr std::string_view kKey = "out_time_us=";
    std::optional<int64_t> last;
    for (size_t at = progress.find(kKey); at != std::string_view::npos;
         at = progress.find(kKey, at + 1)) {
        if (at > 0 && progress[at - 1] != '\n') continue;
        const std::string_view value = progress.substr(at + kKey.size());
        int64_t microseconds = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), microseconds);
        if (error == std::errc() && end != value.data() && microseconds >= 0) {
            last = microseconds / 1000;
        }
    }
    return last;
}

namespace {

// What a file ffmpeg made must be: of at least four fifths of its input's
// size (a copy) or of any size up to it (an encoding), and as long as its
// input, give or take `tolerance_ms`.
struct MadeRules {
    bool copied;
    int64_t tolerance_ms;
    const char* what;
};

Status CheckMade(const platform::ChildEnd& end, int64_t output_bytes, const ConversionInput& input,
                 const MadeRules& rules) {
    const auto failed = [](std::string why) {
        return Failure{Reason::kNotJoined, 0, std::move(why)};
    };
    if (std::optional<std::string> why = EndFailure(end)) return failed(*why);
    if (output_bytes <= 0) return failed("ffmpeg wrote nothing");
    // A little more than its input at most: a copy gains little, and an
    // encoding never goes above its source.
    if ((rules.copied && output_bytes * 5 < input.bytes * 4) ||
        output_bytes > input.bytes + input.bytes / 20 + 65536) {
        return failed("ffmpeg wrote " + std::to_string(output_bytes) + " bytes of " +
                      std::to_string(input.bytes));
    }
    const std::string what = rules.what;
    const std::optional<int64_t> played = WrittenPlayingMs(end.out);
    if (!played || (!rules.copied && *played <= 0))
        return failed("ffmpeg did not tell how long its " + what + " plays");
    if (input.playing_ms && std::abs(*played - *input.playing_ms) > rules.tolerance_ms) {
        return failed("ffmpeg's " + what + " plays " + Seconds(*played) + " of " +
                      Seconds(*input.playing_ms));
    }
    return {};
}

} // namespace

Status CheckConversion(const platform::ChildEnd& end, int64_t output_bytes,
                       const ConversionInput& input) {
    return CheckMade(end, output_bytes, input, {true, 1000, "video"});
}

Status CheckSoundConversion(const platform::ChildEnd& end, int64_t output_bytes,
                            const ConversionInput& input) {
    return CheckMade(end, output_bytes, input, {false, 2000, "sound"});
}

} // namespace tarnwick::driver
