#include "resolve/file_naming.h"

#include <gtest/gtest.h>
#include <ostream>

#include <cmath>
#include <string>

namespace tarnwick::resolve {
namespace {

struct SizeCase {
    const char* name;
    float size;
    const char* text;
};

void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.name; }

class SizeText : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeText, WritesTheSizeWithItsUnit) {
    EXPECT_EQ(FormatFileSize(GetParam().size), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, SizeText,
    testing::Values(
        SizeCase{"Zero", 0.0f, "0 Bytes"}, SizeCase{"MinusOne", -1.0f, "-1 Bytes"},
        SizeCase{"JustBelowKilo", 1023.0f, "1023 Bytes"}, SizeCase{"OneKilo", 1024.0f, "1 KB"},
        SizeCase{"HalfTiesToEvenDown", 1280.0f, "1.2 KB"},
        SizeCase{"OneAndAHalfKilo", 1536.0f, "1.5 KB"},
        SizeCase{"HalfTiesToEvenUp", 1792.0f, "1.8 KB"},
        SizeCase{"TwoKiloNoTrailingZero", 2048.0f, "2 KB"},
        SizeCase{"JustBelowMega", 1048575.0f, "1024 KB"}, SizeCase{"OneMega", 1048576.0f, "1 MB"},
        SizeCase{"MegaWithDecimal", 1572864.0f, "1.5 MB"},
        SizeCase{"OneGiga", 1073741824.0f, "1 GB"}, SizeCase{"ThreeGiga", 3221225472.0f, "3 GB"},
        SizeCase{"JustBelowTera", 1099511562240.0f, "1024 GB"},
        SizeCase{"Tera", 1099511627776.0f, ""}, SizeCase{"AboveTera", 4e12f, ""}),
    [](const testing::TestParamInfo<SizeCase>& info) { return info.param.name; });

TEST(SizeTextCorners, FractionsBelowAKiloAreWrittenShortest) {
    EXPECT_EQ(FormatFileSize(0.5f), "0.5 Bytes");
    EXPECT_EQ(FormatFileSize(500.0f), "500 Bytes");
}

TEST(FileNameCleaning, RemovesTheForbiddenCharacters) {
    EXPECT_EQ(CleanFileName("a:b*c"), "abc");
    EXPECT_EQ(CleanFileName("\\/:*?\"<>|&name.flv"), "name.flv");
    EXPECT_EQ(CleanFileName("get_video?video_id=x&t=y&s=A:B.flv"),
              "get_videovideo_id=xt=ys=AB.flv");
    EXPECT_EQ(CleanFileName(" keep %=# blanks .flv "), " keep %=# blanks .flv ");
    EXPECT_EQ(CleanFileName("A Test | Pattern.mp4"), "A Test Pattern.mp4") << "no double blank";
    EXPECT_EQ(CleanFileName("two  blanks.mp4"), "two  blanks.mp4") << "the title's own stay";
    EXPECT_EQ(CleanFileName("caf\xc3\xa9.flv"), "caf\xc3\xa9.flv");
}

TEST(FileNameCleaning, NothingLeftGivesThePrompt) {
    EXPECT_EQ(CleanFileName("???"), kEnterFileName);
    EXPECT_EQ(CleanFileName(""), kEnterFileName);
}

TEST(FileNameCleaning, NeverNamesTheFolderOrLeavesIt) {
    EXPECT_EQ(CleanFileName("."), kEnterFileName);
    EXPECT_EQ(CleanFileName(".."), kEnterFileName);
    EXPECT_EQ(CleanFileName("../"), kEnterFileName);
    EXPECT_EQ(CleanFileName("/.."), kEnterFileName);
    EXPECT_EQ(CleanFileName("../../etc/passwd"), "....etcpasswd");
    EXPECT_EQ(CleanFileName("..\\..\\x"), "....x");
}

TEST(FileNameCleaning, RemovesControlCharacters) {
    EXPECT_EQ(CleanFileName(std::string("a\x01\tb\r\nc\x7f", 9)), "abc");
    EXPECT_EQ(CleanFileName(std::string("\0", 1)), kEnterFileName);
}

// A name that turns its end around, or hides characters, shows as another.
TEST(FileNameCleaning, RemovesFormatCharactersThatDisguiseAName) {
    EXPECT_EQ(CleanFileName("clip-ctl\u202Evil.mp4"), "clip-ctlvil.mp4")
        << "right-to-left override";
    EXPECT_EQ(CleanFileName("a\u202Ab\u202Bc\u202Cd\u202De.mp4"), "abcde.mp4");
    EXPECT_EQ(CleanFileName("\u2066x\u2067y\u2068z\u2069.mp4"), "xyz.mp4") << "isolates";
    EXPECT_EQ(CleanFileName("zero\u200Bwidth\u200C\u200D\u2060\uFEFF.mp4"), "zerowidth.mp4");
    EXPECT_EQ(CleanFileName("soft\u00ADhyphen\U000E0041tag.mp4"), "softhyphentag.mp4");
    EXPECT_EQ(CleanFileName("\u200F\u200E"), kEnterFileName);
    EXPECT_EQ(CleanFileName("caf\u00E9 \u65E5\u672C \U0001F3AC.mp4"),
              "caf\u00E9 \u65E5\u672C \U0001F3AC.mp4")
        << "letters and symbols stay";
    EXPECT_EQ(CleanFileName("bad\xE2\x80.mp4"), "bad\xE2\x80.mp4")
        << "bytes that are no UTF-8 stay";
}

} // namespace
} // namespace tarnwick::resolve
