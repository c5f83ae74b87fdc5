#include "resolve/unescape_url.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tarnwick::resolve {
namespace {

struct UnescapeCase {
    const char* name;
    std::string address;
    std::string decoded;
};

void PrintTo(const UnescapeCase& c, std::ostream* os) { *os << c.name << " (" << c.address << ")"; }

class Unescape : public testing::TestWithParam<UnescapeCase> {};

TEST_P(Unescape, DecodesPercentEscapesOnly) {
    EXPECT_EQ(UnescapeUrl(GetParam().address), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, Unescape,
    testing::Values(UnescapeCase{"Empty", "", ""},
                    UnescapeCase{"SchemeSeparators", "http%3A%2F%2Fexample.com%2Fa.flv",
                                 "http://example.com/a.flv"},
                    UnescapeCase{"QueryIncluded", "http://x/get?u%3Dhttp%253A%26k=1",
                                 "http://x/get?u=http%3A&k=1"},
                    UnescapeCase{"PlusStays", "a+b%2Bc", "a+b+c"},
                    UnescapeCase{"EitherCaseOfHexDigits", "%2f%2F%aB", "//\xAB"},
                    UnescapeCase{"HighBytes", "%FF%80", "\xFF\x80"},
                    UnescapeCase{"PercentAtEndStays", "100%", "100%"},
                    UnescapeCase{"PercentWithOneDigitStays", "a%4", "a%4"},
                    UnescapeCase{"PercentWithoutHexDigitsStays", "%zz%4g", "%zz%4g"},
                    UnescapeCase{"PercentBeforeEscape", "%%41", "%A"},
                    UnescapeCase{"ZeroByteStaysEscaped", "a%00b", "a%00b"}),
    [](const testing::TestParamInfo<UnescapeCase>& info) { return info.param.name; });

TEST(UnescapeLimit, ResultOfLimitLengthOrMoreIsEmpty) {
    EXPECT_EQ(UnescapeUrl(std::string(kUnescapedUrlLimit - 1, 'a')).size(), kUnescapedUrlLimit - 1);
    EXPECT_EQ(UnescapeUrl(std::string(kUnescapedUrlLimit, 'a')), "");
    EXPECT_EQ(UnescapeUrl(std::string(kUnescapedUrlLimit - 1, 'a') + "%41"), "");
}

TEST(UnescapeLimit, CountsDecodedCharactersNotEscapes) {
    std::string escaped;
    for (size_t i = 0; i < kUnescapedUrlLimit - 1; ++i) escaped += "%41";
    EXPECT_EQ(UnescapeUrl(escaped), std::string(kUnescapedUrlLimit - 1, 'A'));
}

} // namespace
} // namespace tarnwick::resolve
