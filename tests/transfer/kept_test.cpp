// The one record of what a download left on disk: its text, the fields of
// earlier lists it is read from, and what counts as progress only.
#include "transfer/kept.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnwick::transfer {
namespace {

PartLayout Laid(const std::string& text, int64_t total) {
    return PartLayout::Read(text, total).value();
}

TEST(KeptTest, EveryKindGoesToTextAndBackAsItWas) {
    const Kept kinds[] = {
        KeptWhole{"/v/a b\xc3\xa4.mp4.1.tarnwick.part", 5, 10, "\"e\\\"1\""},
        KeptWhole{"/v/a.mp4.1.tarnwick.part", 7, std::nullopt, ""},
        KeptParts{"/v/b.mp4.2.tarnwick.part", "Tue, 01 Dec 2026 10:00:00 GMT",
                  Laid("0-5368709120=4294967296 5368709120-5368709121=0", 5368709121)},
        KeptStream{"/v/c.ts.3.tarnwick.part", 1 << 20, 7, 200, 0xfedcba9876543210ULL},
        KeptPair{KeptWhole{"/v/d.picture.4.tarnwick.part", 3, 9, "\"p\""},
                 KeptStream{"/v/d.sound.4.tarnwick.part", 10, 1, 2, 42}},
        KeptPair{std::nullopt, KeptWhole{"/v/e.sound.5.tarnwick.part", 0, std::nullopt, ""}},
    };
    for (const Kept& kept : kinds) {
        const std::string text = KeptText(kept);
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        EXPECT_EQ(ReadKept(text), std::optional<Kept>(kept)) << text;
    }
}

TEST(KeptTest, TextThatIsNoRecordIsNone) {
    for (const char* text :
         {"", "{", "[]", "{\"whole\":{}}",
          "{\"whole\":{\"path\":\"\",\"bytes\":1,\"validator\":\"\"}}",
          "{\"whole\":{\"path\":\"/p\",\"bytes\":-1,\"validator\":\"\"}}",
          "{\"whole\":{\"path\":\"/p\",\"bytes\":11,\"total\":10,\"validator\":\"\"}}",
          "{\"parts\":{\"path\":\"/p\",\"validator\":\"\",\"total\":10,\"layout\":\"0-9=0\"}}",
          "{\"stream\":{\"path\":\"/"
          "p\",\"bytes\":1,\"pieces\":3,\"total\":2,\"fingerprint\":\"0\"}}",
          "{\"stream\":{\"path\":\"/"
          "p\",\"bytes\":1,\"pieces\":1,\"total\":2,\"fingerprint\":\"xyz\"}}",
          "{\"pair\":{\"picture\":{\"whole\":{\"path\":7}}}}", "{\"other\":{\"path\":\"/p\"}}"}) {
        EXPECT_EQ(ReadKept(text), std::nullopt) << text;
    }
}

TEST(KeptTest, TheFieldsOfEarlierListsBecomeOneRecord) {
    EXPECT_EQ(KeptFromFields("/v/a.part", 5, "\"e1\"", "", 10),
              Kept(KeptWhole{"/v/a.part", 5, 10, "\"e1\""}));
    EXPECT_EQ(KeptFromFields("/v/a.part", 12, "", "", 10),
              Kept(KeptWhole{"/v/a.part", 12, std::nullopt, ""}))
        << "a size the bytes pass is not the file's";
    EXPECT_EQ(KeptFromFields("/v/a.part", 100, "hls:3/9/00000000000000ff", "", std::nullopt),
              Kept(KeptStream{"/v/a.part", 100, 3, 9, 0xff}));
    EXPECT_EQ(KeptFromFields("/v/a.part", 4, "\"e1\"", "0-8=4 8-16=2", 16),
              Kept(KeptParts{"/v/a.part", "\"e1\"", Laid("0-8=4 8-16=2", 16)}));
    EXPECT_EQ(KeptFromFields("/v/a.part", 4, "\"e1\"", "0-8=4 8-16=2", std::nullopt), std::nullopt)
        << "parts of a file of unknown size";
    EXPECT_EQ(KeptFromFields("", 4, "\"e1\"", "", 10), std::nullopt);
}

TEST(KeptTest, OnlyCountsOfBytesAndPiecesAreProgress) {
    const Kept parts = KeptParts{"/p", "\"e\"", Laid("0-8=4 8-16=2", 16)};
    EXPECT_TRUE(OnlyProgressDiffers(parts, KeptParts{"/p", "\"e\"", Laid("0-8=8 8-16=3", 16)}));
    EXPECT_FALSE(
        OnlyProgressDiffers(parts, KeptParts{"/p", "\"e\"", Laid("0-8=4 8-12=2 12-16=0", 16)}))
        << "parts laid out anew";
    EXPECT_FALSE(OnlyProgressDiffers(parts, KeptParts{"/q", "\"e\"", Laid("0-8=4 8-16=2", 16)}));
    EXPECT_TRUE(OnlyProgressDiffers(KeptStream{"/p", 1, 1, 9, 5}, KeptStream{"/p", 9, 2, 9, 5}));
    EXPECT_FALSE(OnlyProgressDiffers(KeptStream{"/p", 1, 1, 9, 5}, KeptWhole{"/p", 1}));
    EXPECT_TRUE(OnlyProgressDiffers(KeptPair{KeptWhole{"/a", 1}, std::nullopt},
                                    KeptPair{KeptWhole{"/a", 5}, std::nullopt}));
    EXPECT_FALSE(OnlyProgressDiffers(KeptPair{KeptWhole{"/a", 1}, std::nullopt},
                                     KeptPair{KeptWhole{"/a", 1}, KeptWhole{"/b", 0}}));
}

} // namespace
} // namespace tarnwick::transfer
