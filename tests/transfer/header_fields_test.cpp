#include "transfer/header_fields.h"

#include <gtest/gtest.h>
#include <ostream>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::transfer {
namespace {

using Fields = std::vector<platform::HttpField>;

platform::HttpAnswer Ok(Fields fields) { return {200, std::move(fields)}; }

struct LengthCase {
    const char* name;
    Fields fields;
    std::optional<int64_t> length;
};

void PrintTo(const LengthCase& c, std::ostream* out) { *out << c.name; }

class ContentLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(ContentLengthTest, IsOneNonNegativeIntegerOrUnknown) {
    EXPECT_EQ(ContentLengthField(Ok(GetParam().fields)), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ContentLengthTest,
    testing::Values(
        LengthCase{"Plain", Fields{{"Content-Length", "5000"}}, 5000},
        LengthCase{"AnyCase", Fields{{"content-LENGTH", "7"}}, 7},
        LengthCase{"PastFourGibibytes", Fields{{"Content-Length", "5000000000"}}, 5000000000},
        LengthCase{"TwoFieldsThatAgree", Fields{{"Content-Length", "9"}, {"Content-Length", "9"}},
                   9},
        LengthCase{"TwoFieldsThatDiffer", Fields{{"Content-Length", "9"}, {"Content-Length", "8"}},
                   std::nullopt},
        LengthCase{"OtherFieldEndingInTheName", Fields{{"X-Content-Length", "1"}}, std::nullopt},
        LengthCase{"Missing", Fields{{"Content-Type", "a/b"}}, std::nullopt},
        LengthCase{"Word", Fields{{"Content-Length", "many"}}, std::nullopt},
        LengthCase{"ListOfNumbers", Fields{{"Content-Length", "5, 7"}}, std::nullopt},
        LengthCase{"Negative", Fields{{"Content-Length", "-5"}}, std::nullopt},
        LengthCase{"Fraction", Fields{{"Content-Length", "1.5"}}, std::nullopt},
        LengthCase{"Empty", Fields{{"Content-Length", ""}}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    std::string disposition;
    std::string file_name;
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

class DispositionFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DispositionFileNameTest, ComesFromContentDispositionAlone) {
    EXPECT_EQ(DispositionFileName(Ok({{"Content-Disposition", GetParam().disposition}})),
              GetParam().file_name);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DispositionFileNameTest,
    testing::Values(NameCase{"Token", "attachment; filename=clip.mp4", "clip.mp4"},
                    NameCase{"QuotedWithParameterAfter", "attachment; filename=\"a b.flv\"; size=3",
                             "a b.flv"},
                    NameCase{"QuotedWithEscapes", "attachment; filename=\"say \\\"hi\\\".mp4\"",
                             "say \"hi\".mp4"},
                    NameCase{"ExtendedUtf8First",
                             "attachment; filename=plain.mp4; "
                             "filename*=UTF-8''na%C3%AFve%20clip.mp4",
                             "na\xC3\xAFve clip.mp4"},
                    NameCase{"ExtendedLatin1", "attachment; filename*=iso-8859-1'en'caf%E9.mp4",
                             "caf\xC3\xA9.mp4"},
                    NameCase{"UnknownCharsetFallsBack",
                             "attachment; filename*=KOI8-R''x.mp4; filename=y.mp4", "y.mp4"},
                    NameCase{"FolderPartsGo", "attachment; filename=\"../../.bashrc\"", ".bashrc"},
                    NameCase{"BackslashFolders", "inline; filename=C:\\x\\v.mp4", "v.mp4"},
                    NameCase{"NoFileName", "inline", ""},
                    NameCase{"ParameterNamesInAnyCase", "attachment; FileName=a.mp4", "a.mp4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DispositionFileName, NeverComesFromAnotherField) {
    EXPECT_EQ(DispositionFileName(Ok({{"X-Note", "see filename=evil.desktop"}})), "");
}

TEST(MediaType, IsLowerCaseWithoutParameters) {
    EXPECT_EQ(MediaTypeField(Ok({{"Content-Type", "Text/HTML; charset=UTF-8"}})), "text/html");
    EXPECT_EQ(MediaTypeField(Ok({{"X-Content-Type", "video/mp4"}})), "");
    EXPECT_TRUE(IsHtmlMediaType("text/html"));
    EXPECT_TRUE(IsHtmlMediaType("application/xhtml+xml"));
    EXPECT_FALSE(IsHtmlMediaType("video/mp4"));
    EXPECT_EQ(Ok({{"A", "1"}, {"B", "2"}, {"a", "3"}}).Values("A"),
              (std::vector<std::string_view>{"1", "3"}));
}

TEST(ContentRange, ReadsARangeWithItsTotalOrNothing) {
    const auto range = [](const std::string& value) {
        return ContentRangeField(Ok({{"Content-Range", value}}));
    };
    EXPECT_EQ(range("bytes 5-9/10"), (ContentRange{5, 9, 10}));
    EXPECT_EQ(range("BYTES 0-0/*"), (ContentRange{0, 0, std::nullopt}));
    EXPECT_FALSE(range("bytes */10")) << "the answer of a refused range";
    EXPECT_FALSE(range("bytes 9-5/10"));
    EXPECT_FALSE(range("bytes 5-9/9")) << "a range past the total";
    EXPECT_FALSE(range("bytes 5-9/ten"));
    EXPECT_FALSE(range("items 5-9/10"));
    EXPECT_FALSE(ContentRangeField(Ok({{"X-Content-Range", "bytes 5-9/10"}})));
}

TEST(ContentCoding, IsAnyCodingButIdentity) {
    const auto coded = [](const std::string& value) {
        return IsContentCoded(Ok({{"Content-Encoding", value}}));
    };
    EXPECT_TRUE(coded("gzip"));
    EXPECT_TRUE(IsContentCoded(Ok({{"content-encoding", "identity, BR"}})));
    EXPECT_TRUE(
        IsContentCoded(Ok({{"Content-Encoding", "identity"}, {"Content-Encoding", "deflate"}})));
    EXPECT_FALSE(coded("Identity"));
    EXPECT_FALSE(coded(", "));
    EXPECT_FALSE(IsContentCoded(Ok({{"Transfer-Encoding", "gzip, chunked"}})));
}

TEST(Validator, IsAStrongETagElseTheDate) {
    const platform::HttpField date{"Last-Modified", "Tue, 01 Dec 2026 10:00:00 GMT"};
    EXPECT_EQ(ValidatorField(Ok({{"ETag", "\"abc\""}, date})), "\"abc\"");
    EXPECT_EQ(ValidatorField(Ok({{"ETag", "W/\"abc\""}, date})), "Tue, 01 Dec 2026 10:00:00 GMT")
        << "a weak ETag cannot ask for a range";
    EXPECT_EQ(ValidatorField(Ok({{"ETag", "W/\"abc\""}})), "");
}

} // namespace
} // namespace tarnwick::transfer
