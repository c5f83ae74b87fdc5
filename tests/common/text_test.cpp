#include "common/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarnwick::text {
namespace {

TEST(TextSearch, FindIsOneBasedCaseInsensitiveAndStartsAtFrom) {
    EXPECT_EQ(Find("abcABC", "bc"), 2);
    EXPECT_EQ(Find("abcABC", "BC", 3), 5);
    EXPECT_EQ(Find("abcABC", "x"), 0);
    EXPECT_EQ(Find("abc", "c", 4), 0);
    EXPECT_EQ(Find("abc", "", 2), 2);
    EXPECT_EQ(Find("a&b&c", "&", 3), 4);
    EXPECT_EQ(Find("Watch?V=x", "watch?v"), 1);
}

// The plain definition: compare at every start, letters folded.
long ReferenceFind(const std::string& text, const std::string& marker, long from) {
    for (long p = from - 1; p + static_cast<long>(marker.size()) <= static_cast<long>(text.size());
         ++p) {
        if (EqualsIgnoreCase(std::string_view(text).substr(static_cast<size_t>(p), marker.size()),
                             marker)) {
            return p + 1;
        }
    }
    return 0;
}

TEST(TextSearch, FindAgreesWithThePlainDefinitionOnRandomTexts) {
    std::mt19937 random(7);
    const std::string alphabet = "aAbB<\"&\xe4\xc4 ";
    const auto pick = [&](size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = pick(random() % 70);
        const std::string marker = pick(1 + random() % 4);
        const long from = 1 + static_cast<long>(random() % (text.size() + 2));
        ASSERT_EQ(Find(text, marker, from), ReferenceFind(text, marker, from))
            << "text '" << text << "' marker '" << marker << "' from " << from;
    }
}

TEST(TextSearch, FindLastLooksOnlyBeforeTheGivenPosition) {
    EXPECT_EQ(FindLast("a_b_c", "_"), 4);
    EXPECT_EQ(FindLast("a_b_c", "_", 4), 2);
    EXPECT_EQ(FindLast("HREF=x href=y", "href=", 7), 1);
    EXPECT_EQ(FindLast("abc", "x"), 0);
}

TEST(TextParts, PartLeftRightAndReverse) {
    EXPECT_EQ(Part("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Part("abcdef", 5, 10), "ef");
    EXPECT_EQ(Part("abcdef", 7, 1), "");
    EXPECT_EQ(Part("abcdef", 3), "cdef");
    EXPECT_EQ(Left("abc", 5), "abc");
    EXPECT_EQ(Right("abcdef", 2), "ef");
    EXPECT_EQ(Reverse("abc"), "cba");
}

// A position below 1 or a negative length fails an assertion; where
// assertions are off, it is taken as 1 or as 0 characters.
TEST(TextParts, OutOfRangeArgumentsAssertOrAreClamped) {
    EXPECT_DEBUG_DEATH(EXPECT_EQ(Find("abca", "a", 0), 1), "below 1");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(FindLast("abca", "a", -1), 0), "below 0");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(Part("abc", 0, 2), "ab"), "below 1");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(Left("abc", -1), ""), "negative");
}

TEST(TextReplace, ReplaceAllIgnoresCaseAndNeverRescansItsOutput) {
    EXPECT_EQ(ReplaceAll("a&AMP;b&amp;c", "&amp;", "&"), "a&b&c");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

} // namespace
} // namespace tarnwick::text
