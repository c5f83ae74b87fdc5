#include "hls/webvtt_pieces.h"

#include <gtest/gtest.h>

namespace tarnwick::hls {
namespace {

struct JoinCase {
    const char* name;
    std::vector<std::string> pieces;
    std::string joined; // empty: the pieces cannot be joined
};

void PrintTo(const JoinCase& c, std::ostream* out) { *out << c.name; }

class JoinWebVttPiecesTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinWebVttPiecesTest, GivesOneFileOnTheFirstPiecesClock) {
    const Result<std::string> joined = JoinWebVttPieces(GetParam().pieces);
    if (GetParam().joined.empty()) {
        EXPECT_FALSE(joined);
        return;
    }
    ASSERT_TRUE(joined) << joined.failure().detail;
    EXPECT_EQ(joined.value(), GetParam().joined);
}

constexpr const char* kMapAt10s = "WEBVTT\nX-TIMESTAMP-MAP=MPEGTS:900000,LOCAL:00:00:00.000\n\n";

INSTANTIATE_TEST_SUITE_P(
    Pieces, JoinWebVttPiecesTest,
    testing::Values(
        JoinCase{"PiecesOnOneClockStayAsTheyAre",
                 {std::string(kMapAt10s) + "00:00.500 --> 00:01.500\nOne\n",
                  std::string(kMapAt10s) + "00:02.500 --> 00:03.500 align:start\nTwo\n"},
                 "WEBVTT\n\n00:00:00.500 --> 00:00:01.500\nOne\n\n"
                 "00:00:02.500 --> 00:00:03.500 align:start\nTwo\n"},
        // Each counts from 0, its map saying where: the second is 6 s on.
        JoinCase{"PiecesCountingFromZeroFollowEachOther",
                 {std::string(kMapAt10s) + "1\n00:00.500 --> 00:01.500\nOne\n",
                  "WEBVTT\nX-TIMESTAMP-MAP=LOCAL:00:00:00.000,MPEGTS:1440000\n\n"
                  "1\n00:00.500 --> 00:01.500\nTwo\nlines\n"},
                 "WEBVTT\n\n00:00:00.500 --> 00:00:01.500\nOne\n\n"
                 "00:00:06.500 --> 00:00:07.500\nTwo\nlines\n"},
        JoinCase{"ACueAcrossTheEndOfAPieceIsKeptOnce",
                 {"WEBVTT\r\n\r\n00:01.000 --> 00:03.000\r\nAcross\r\n",
                  "\xEF\xBB\xBFWEBVTT\n\n00:01.000 --> 00:03.000\nAcross\n\n"
                  "01:00:04.000 --> 01:00:05.000\nLater\n"},
                 "WEBVTT\n\n00:00:01.000 --> 00:00:03.000\nAcross\n\n"
                 "01:00:04.000 --> 01:00:05.000\nLater\n"},
        JoinCase{"StylesBeforeTheCuesStayCommentsGo",
                 {"WEBVTT\n\nSTYLE\n::cue { color: lime }\n\nNOTE a remark\n\n"
                  "00:01.000 --> 00:02.000\nHi\n",
                  "WEBVTT\n\nSTYLE\n::cue { color: red }\n\n00:03.000 --> 00:04.000\nBye\n"},
                 "WEBVTT\n\nSTYLE\n::cue { color: lime }\n\n00:00:01.000 --> 00:00:02.000\nHi\n\n"
                 "00:00:03.000 --> 00:00:04.000\nBye\n"},
        JoinCase{"APieceThatIsNotWebVttFails",
                 {"WEBVTT\n\n00:01.000 --> 00:02.000\nHi\n", "<html>Not found</html>"},
                 ""},
        JoinCase{"PiecesWithoutCuesFail", {"WEBVTT\n\n", "WEBVTT\n\nNOTE only\n"}, ""},
        JoinCase{"ABrokenTimingIsLeftOut",
                 {"WEBVTT\n\n00:01 --> 00:02.000\nBad\n\n00:03.000 --> 00:04.000\nGood\n"},
                 "WEBVTT\n\n00:00:03.000 --> 00:00:04.000\nGood\n"}),
    [](const testing::TestParamInfo<JoinCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::hls
