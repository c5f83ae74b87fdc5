// A streamed video's MPEG-TS pieces made into an MP4 by ffmpeg, where the user
// has it: the streams are copied, never encoded again, and nothing that is
// already there is overwritten.
#pragma once

#include "platform/child_process.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::driver {

// ffmpeg's arguments to copy the streams of `input` into an MP4 (or, with
// `container` "mkv", a Matroska file) at `output`, with the sound of `sound`
// instead when that is given. `aac`: the sound is AAC in ADTS frames, which
// MP4 holds otherwise.
std::vector<std::string> RemuxArguments(const std::string& input, const std::string& sound,
                                        const std::string& output, bool aac,
                                        std::string_view container = "mp4");

// Why a conversion that ended so failed, in a few words; none when it did not.
std::optional<std::string> ConversionFailure(const platform::ChildEnd& end);

} // namespace tarnwick::driver
