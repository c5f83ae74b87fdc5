#include "html/byte_order_mark.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>

namespace tarnwick::html {
namespace {

using Mark = ByteOrderMarkDecoder::Mark;

// The page's text as UTF-16, little- or big-endian, from its code units.
std::string Utf16(std::u16string_view units, bool little_endian) {
    std::string bytes;
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little_endian ? low : high;
        bytes += little_endian ? high : low;
    }
    return bytes;
}

std::string Decoded(const std::string& page, size_t piece, Mark* mark = nullptr) {
    ByteOrderMarkDecoder decoder;
    std::string out;
    for (size_t at = 0; at < page.size(); at += piece) {
        decoder.Decode(std::string_view(page).substr(at, piece), out);
    }
    decoder.Finish(out);
    if (mark != nullptr) *mark = decoder.mark();
    return out;
}

struct MarkCase {
    const char* name;
    std::string page;
    std::string text;
    Mark mark;
};

void PrintTo(const MarkCase& c, std::ostream* out) { *out << c.name; }

class ByteOrderMarkTest : public testing::TestWithParam<MarkCase> {};

TEST_P(ByteOrderMarkTest, GivesTheSameTextWhateverTheBlocks) {
    const MarkCase& c = GetParam();
    for (const size_t piece : {size_t{1}, size_t{3}, c.page.size() + 1}) {
        Mark mark = Mark::kUndecided;
        EXPECT_EQ(Decoded(c.page, piece, &mark), c.text) << "in pieces of " << piece;
        EXPECT_EQ(mark, c.mark);
    }
}

// "<a title=é€😀>": two, three and four bytes of UTF-8, the last from a surrogate pair.
const std::u16string kUnits = u"<a title=\u00E9\u20AC\U0001F600>";
const std::string kText = "<a title=\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80>";

INSTANTIATE_TEST_SUITE_P(
    Pages, ByteOrderMarkTest,
    testing::Values(
        MarkCase{"Utf16LittleEndian", "\xFF\xFE" + Utf16(kUnits, true), kText, Mark::kUtf16Le},
        MarkCase{"Utf16BigEndian", "\xFE\xFF" + Utf16(kUnits, false), kText, Mark::kUtf16Be},
        MarkCase{"Utf8MarkDropped", "\xEF\xBB\xBF" + kText, kText, Mark::kUtf8},
        MarkCase{"NoMark", kText, kText, Mark::kNone},
        MarkCase{"TheBeginningOfAMarkOnly", "\xEF\xBB<p>", "\xEF\xBB<p>", Mark::kNone},
        MarkCase{"ABytePageWithoutMark", "\xFF", "\xFF", Mark::kNone},
        MarkCase{"NothingAtAll", "", "", Mark::kNone},
        MarkCase{"OnlyAMark", "\xFE\xFF", "", Mark::kUtf16Be},
        // What UTF-16 cannot hold becomes U+FFFD, and the text goes on.
        MarkCase{"LoneHighHalf",
                 "\xFF\xFE" + Utf16(u"a\xD83D"
                                    u"b",
                                    true),
                 "a\xEF\xBF\xBD"
                 "b",
                 Mark::kUtf16Le},
        MarkCase{"LoneLowHalf",
                 "\xFF\xFE" + Utf16(u"a\xDE00"
                                    u"b",
                                    true),
                 "a\xEF\xBF\xBD"
                 "b",
                 Mark::kUtf16Le},
        MarkCase{"HighHalfAtTheEnd", "\xFF\xFE" + Utf16(u"a\xD83D", true), "a\xEF\xBF\xBD",
                 Mark::kUtf16Le},
        MarkCase{"OddByteAtTheEnd", "\xFE\xFF" + Utf16(u"a", false) + std::string(1, '\0'),
                 "a\xEF\xBF\xBD", Mark::kUtf16Be},
        MarkCase{"NulCharacterKept", "\xFF\xFE" + Utf16(std::u16string_view(u"a\0b", 3), true),
                 std::string("a\0b", 3), Mark::kUtf16Le}),
    [](const testing::TestParamInfo<MarkCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::html
