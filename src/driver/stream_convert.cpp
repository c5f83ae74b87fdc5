#include "driver/stream_convert.h"

#include <string_view>

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

} // namespace

std::vector<std::string> RemuxArguments(const std::string& input, const std::string& sound,
                                        const std::string& output, bool aac,
                                        std::string_view container) {
    std::vector<std::string> arguments = {"-hide_banner", "-loglevel", "error", "-nostdin",
                                          "-n",           "-i",        input};
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

std::optional<std::string> ConversionFailure(const platform::ChildEnd& end) {
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

} // namespace tarnwick::driver
