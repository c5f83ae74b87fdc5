#include "transfer/header_parse.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tarnwick::transfer {
namespace {

struct LengthCase {
    const char* name;
    const char* value;
    float size;
};

class ContentLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ContentLengthTest, ReadsDecimalNumbers) {
    EXPECT_EQ(ContentLengthValue(GetParam().value), std::optional<float>(GetParam().size));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ContentLengthTest,
    ::testing::Values(LengthCase{"Whole", "1234", 1234}, LengthCase{"Blanks", " \t1234 ", 1234},
                      LengthCase{"PastFloatPrecision", "16777217", 16777216},
                      LengthCase{"ThreeGibibytes", "3221225472", 3221225472.0f},
                      LengthCase{"Fraction", "1.5", 1.5f}, LengthCase{"Exponent", "2e3", 2000},
                      LengthCase{"Signed", "+7", 7}, LengthCase{"Negative", "-5", -5}),
    [](const auto& info) { return std::string(info.param.name); });

class ContentLengthRefusalTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ContentLengthRefusalTest, FailsForWhatIsNoNumber) {
    EXPECT_EQ(ContentLengthValue(GetParam()), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Texts, ContentLengthRefusalTest,
                         ::testing::Values("", " ", "abc", "12 bytes", "nan", "inf", "0x10",
                                           "1,234", "1e400"));

TEST(HeaderValue, RunsToTheLineEndOrTheEndOfTheText) {
    const std::string raw = "HTTP/1.1 200 OK\r\nX-A: one\r\nX-B: two";
    EXPECT_EQ(HeaderValue(raw, "x-a: "), "one");
    EXPECT_EQ(HeaderValue(raw, "X-B: "), "two");
    EXPECT_EQ(HeaderValue(raw, "x-c: "), std::nullopt);
    EXPECT_EQ(HeaderValue("A: \r\n", "a: "), "");
}

TEST(ParseHeaders, ReadsEveryFindingOfOneAnswer) {
    const std::optional<HeaderFindings> parsed = ParseHeaders(
        "HTTP/1.1 200 OK\r\nLast-Modified: Mon\r\nContent-Length: 10\r\n"
        "Content-Disposition: inline; filename=a.flv\r\n"
        "Content-Type: video/x-flv\r\n");
    ASSERT_TRUE(parsed);
    const HeaderFindings& found = *parsed;
    EXPECT_EQ(found.LastModified, "Mon");
    EXPECT_EQ(found.FileSize, 10);
    EXPECT_EQ(found.RemoteFileName, "a.flv");
    EXPECT_EQ(found.RemoteFileType, "x-flv");
    EXPECT_TRUE(found.FileExists);
}

TEST(ParseHeaders, GivesNothingForALengthThatIsNoNumber) {
    EXPECT_EQ(ParseHeaders("HTTP/1.1 200 OK\r\nContent-Length: many\r\n"), std::nullopt);
}

struct FieldCase {
    const char* name;
    const char* raw;
    std::optional<int64_t> length;
};

class ContentLengthFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ContentLengthFieldTest, ReadsTheFieldByItsName) {
    EXPECT_EQ(ContentLengthField(GetParam().raw), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ContentLengthFieldTest,
    ::testing::Values(
        FieldCase{"Plain", "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n", 5000},
        FieldCase{"AnyCaseNoBlank", "HTTP/1.1 200 OK\r\ncontent-LENGTH:7\r\n", 7},
        FieldCase{"PastFourGibibytes", "HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n",
                  5000000000},
        FieldCase{"OtherFieldEndingInTheName", "HTTP/1.1 200 OK\r\nX-Content-Length: 1\r\n",
                  std::nullopt},
        FieldCase{"Missing", "HTTP/1.1 200 OK\r\nContent-Type: a/b\r\n", std::nullopt},
        FieldCase{"Negative", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n", std::nullopt},
        FieldCase{"TwoNumbers", "HTTP/1.1 200 OK\r\nContent-Length: 5, 7\r\n", std::nullopt},
        FieldCase{"StatusLineIsNoField", "Content-Length: 3\r\n", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitsHeaderBuffer, LeavesRoomForTheClosingNul) {
    EXPECT_TRUE(FitsHeaderBuffer(std::string(1023, 'h')));
    EXPECT_FALSE(FitsHeaderBuffer(std::string(1024, 'h')));
}

} // namespace
} // namespace tarnwick::transfer
