// A stream's subtitles come as WebVTT pieces, each a file of its own with
// its own header; joined, they become one WebVTT file that plays with the
// video downloaded of the same stream.
#pragma once

#include "common/result.h"

#include <string>
#include <vector>

namespace tarnwick::hls {

// The pieces of one subtitle playlist, in order, as one WebVTT file. A
// piece's X-TIMESTAMP-MAP tells where its cue times sit on the stream's
// clock; cues are moved by how far that differs from the first piece's,
// so pieces that count from 0 each line up one after another. A cue that a
// piece repeats from an earlier one (a cue across a piece's end) is kept
// once; comments are left out, and styles and regions are kept only before
// the first cue, where WebVTT allows them. Fails (kPlaylistUnreadable) when
// a piece is not WebVTT or no piece has a cue.
Result<std::string> JoinWebVttPieces(const std::vector<std::string>& pieces);

} // namespace tarnwick::hls
