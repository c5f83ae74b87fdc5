#include "transfer/header_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

const std::string kOk = "HTTP/1.1 200 OK\r\n";

struct LengthCase {
    const char* name;
    std::string fields;
    std::optional<int64_t> length;
};

class ContentLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(ContentLengthTest, IsOneNonNegativeIntegerOrUnknown) {
    EXPECT_EQ(ContentLengthField(kOk + GetParam().fields), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ContentLengthTest,
    testing::Values(
        LengthCase{"Plain", "Content-Length: 5000\r\n", 5000},
        LengthCase{"AnyCaseNoBlank", "content-LENGTH:7\r\n", 7},
        LengthCase{"PastFourGibibytes", "Content-Length: 5000000000\r\n", 5000000000},
        LengthCase{"TwoFieldsThatAgree", "Content-Length: 9\r\nContent-Length: 9\r\n", 9},
        LengthCase{"TwoFieldsThatDiffer", "Content-Length: 9\r\nContent-Length: 8\r\n",
                   std::nullopt},
        LengthCase{"OtherFieldEndingInTheName", "X-Content-Length: 1\r\n", std::nullopt},
        LengthCase{"Missing", "Content-Type: a/b\r\n", std::nullopt},
        LengthCase{"Word", "Content-Length: many\r\n", std::nullopt},
        LengthCase{"ListOfNumbers", "Content-Length: 5, 7\r\n", std::nullopt},
        LengthCase{"Negative", "Content-Length: -5\r\n", std::nullopt},
        LengthCase{"Fraction", "Content-Length: 1.5\r\n", std::nullopt},
        LengthCase{"Empty", "Content-Length:\r\n", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ContentLength, TheStatusLineIsNoField) {
    EXPECT_EQ(ContentLengthField("Content-Length: 3\r\n"), std::nullopt);
}

struct NameCase {
    const char* name;
    std::string fields;
    std::string file_name;
};

class DispositionFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DispositionFileNameTest, ComesFromContentDispositionAlone) {
    EXPECT_EQ(DispositionFileName(kOk + GetParam().fields), GetParam().file_name);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DispositionFileNameTest,
    testing::Values(
        NameCase{"Token", "Content-Disposition: attachment; filename=clip.mp4\r\n", "clip.mp4"},
        NameCase{"QuotedWithParameterAfter",
                 "Content-Disposition: attachment; filename=\"a b.flv\"; size=3\r\n", "a b.flv"},
        NameCase{"QuotedWithEscapes",
                 "Content-Disposition: attachment; filename=\"say \\\"hi\\\".mp4\"\r\n",
                 "say \"hi\".mp4"},
        NameCase{"ExtendedUtf8First",
                 "Content-Disposition: attachment; filename=plain.mp4; "
                 "filename*=UTF-8''na%C3%AFve%20clip.mp4\r\n",
                 "na\xC3\xAFve clip.mp4"},
        NameCase{"ExtendedLatin1",
                 "Content-Disposition: attachment; filename*=iso-8859-1'en'caf%E9.mp4\r\n",
                 "caf\xC3\xA9.mp4"},
        NameCase{"UnknownCharsetFallsBack",
                 "Content-Disposition: attachment; filename*=KOI8-R''x.mp4; filename=y.mp4\r\n",
                 "y.mp4"},
        NameCase{"FolderPartsGo", "Content-Disposition: attachment; filename=\"../../.bashrc\"\r\n",
                 ".bashrc"},
        NameCase{"BackslashFolders", "Content-Disposition: inline; filename=C:\\x\\v.mp4\r\n",
                 "v.mp4"},
        NameCase{"NameInAnotherField", "X-Note: see filename=evil.desktop\r\n", ""},
        NameCase{"NoFileName", "Content-Disposition: inline\r\n", ""},
        NameCase{"ParameterNamesInAnyCase", "Content-Disposition: attachment; FileName=a.mp4\r\n",
                 "a.mp4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MediaType, IsLowerCaseWithoutParameters) {
    EXPECT_EQ(MediaTypeField(kOk + "Content-Type: Text/HTML; charset=UTF-8\r\n"), "text/html");
    EXPECT_EQ(MediaTypeField(kOk + "X-Content-Type: video/mp4\r\n"), "");
    EXPECT_TRUE(IsHtmlMediaType("text/html"));
    EXPECT_TRUE(IsHtmlMediaType("application/xhtml+xml"));
    EXPECT_FALSE(IsHtmlMediaType("video/mp4"));
    EXPECT_EQ(FieldValues(kOk + "A: 1\r\nB: 2\r\na:  3 \r\n", "A"),
              (std::vector<std::string_view>{"1", "3"}));
}

TEST(ContentRange, ReadsARangeWithItsTotalOrNothing) {
    const auto range = [](const std::string& value) {
        return ContentRangeField(kOk + "Content-Range: " + value + "\r\n");
    };
    EXPECT_EQ(range("bytes 5-9/10"), (ContentRange{5, 9, 10}));
    EXPECT_EQ(range("BYTES 0-0/*"), (ContentRange{0, 0, std::nullopt}));
    EXPECT_FALSE(range("bytes */10")) << "the answer of a refused range";
    EXPECT_FALSE(range("bytes 9-5/10"));
    EXPECT_FALSE(range("bytes 5-9/9")) << "a range past the total";
    EXPECT_FALSE(range("bytes 5-9/ten"));
    EXPECT_FALSE(range("items 5-9/10"));
    EXPECT_FALSE(ContentRangeField(kOk + "X-Content-Range: bytes 5-9/10\r\n"));
}

TEST(ContentCoding, IsAnyCodingButIdentity) {
    const auto coded = [](const std::string& fields) { return IsContentCoded(kOk + fields); };
    EXPECT_TRUE(coded("Content-Encoding: gzip\r\n"));
    EXPECT_TRUE(coded("content-encoding: identity, BR\r\n"));
    EXPECT_TRUE(coded("Content-Encoding: identity\r\nContent-Encoding: deflate\r\n"));
    EXPECT_FALSE(coded("Content-Encoding: Identity\r\n"));
    EXPECT_FALSE(coded("Content-Encoding: , \r\n"));
    EXPECT_FALSE(coded("Transfer-Encoding: gzip, chunked\r\n"));
}

TEST(Validator, IsAStrongETagElseTheDate) {
    const std::string date = "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n";
    EXPECT_EQ(ValidatorField(kOk + "ETag: \"abc\"\r\n" + date), "\"abc\"");
    EXPECT_EQ(ValidatorField(kOk + "ETag: W/\"abc\"\r\n" + date), "Tue, 01 Dec 2026 10:00:00 GMT")
        << "a weak ETag cannot ask for a range";
    EXPECT_EQ(ValidatorField(kOk + "ETag: W/\"abc\"\r\n"), "");
}

} // namespace
} // namespace tarnwick::transfer
