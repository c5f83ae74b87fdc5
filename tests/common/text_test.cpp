#include "common/text.h"

#include <gtest/gtest.h>

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
    EXPECT_THROW(Find("abc", "a", 0), TextRangeError);
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
    EXPECT_THROW(Part("abc", 0, 1), TextRangeError);
    EXPECT_THROW(Part("abc", 1, -1), TextRangeError);
    EXPECT_EQ(Left("abc", 5), "abc");
    EXPECT_EQ(Right("abcdef", 2), "ef");
    EXPECT_THROW(Left("abc", -1), TextRangeError);
    EXPECT_EQ(Reverse("abc"), "cba");
}

TEST(TextReplace, ReplaceAllIgnoresCaseAndNeverRescansItsOutput) {
    EXPECT_EQ(ReplaceAll("a&AMP;b&amp;c", "&amp;", "&"), "a&b&c");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

} // namespace
} // namespace tarnwick::text
