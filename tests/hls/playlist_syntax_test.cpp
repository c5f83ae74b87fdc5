#include "hls/playlist_syntax.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarnwick::hls {
namespace {

// Well-formed values are read through the playlists' tests.
TEST(AttributeListTest, MalformedValuesAreNone) {
    const AttributeList list(
        R"(A=12x,B=0x,C=0xABC,D=0xZZ,E=640,F=99999999999999999999,G="open, H=1)");
    EXPECT_EQ(list.Integer("A"), std::nullopt);
    EXPECT_EQ(list.HexBytes("B"), std::nullopt);
    EXPECT_EQ(list.HexBytes("C"), (std::vector<uint8_t>{0x0A, 0xBC}));
    EXPECT_EQ(list.HexBytes("D"), std::nullopt);
    EXPECT_EQ(list.ResolutionValue("E"), std::nullopt);
    EXPECT_EQ(list.Integer("F"), std::nullopt);
    EXPECT_EQ(list.Text("G"), "open, H=1");
    EXPECT_EQ(list.Text("H"), std::nullopt);
}

TEST(PlaylistLinesTest, TagsWithoutValueAndUrisWithBlanks) {
    const std::vector<PlaylistLine> lines = PlaylistLines("#EXT-X-ENDLIST\n\t seg 1.ts \n#EXT");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name, "EXT-X-ENDLIST");
    EXPECT_EQ(lines[1].kind, PlaylistLine::Kind::kUri);
    EXPECT_EQ(lines[1].value, "seg 1.ts");
    EXPECT_EQ(lines[2].name, "EXT");
}

} // namespace
} // namespace tarnwick::hls
