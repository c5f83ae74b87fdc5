#include "handoff/item_context.h"

#include <gtest/gtest.h>

namespace tarnwick::handoff {
namespace {

// name, value, domain, path, host_only, secure, http_only, expires
const BrowserCookie kHostCookie{"sid", "a=b", "a.test", "/", true, true, false, 1700000000};
const BrowserCookie kDomainCookie{"pref", "", "a.test", "/v", false, false, true, 0};

TEST(NetscapeTest, WritesTheSevenFields) {
    EXPECT_EQ(NetscapeLine(kHostCookie), "a.test\tFALSE\t/\tTRUE\t1700000000\tsid\ta=b");
    EXPECT_EQ(NetscapeLine(kDomainCookie), "#HttpOnly_.a.test\tTRUE\t/v\tFALSE\t0\tpref\t");
    for (const char* breaking : {"a\tb", "a\rb", "a\nb"}) {
        BrowserCookie cookie = kHostCookie;
        cookie.value = breaking;
        EXPECT_EQ(NetscapeLine(cookie), std::nullopt);
    }
}

TEST(NetscapeTest, ReadsBackWhatItWrote) {
    BrowserCookie unwritable = kHostCookie;
    unwritable.name = "x\ny";
    const std::string file = NetscapeFile({kHostCookie, unwritable, kDomainCookie});
    EXPECT_EQ(ParseNetscapeFile(file), (std::vector<BrowserCookie>{kHostCookie, kDomainCookie}));
}

TEST(NetscapeTest, ReadsFilesOfOtherWriters) {
    const std::string file =
        "# Netscape HTTP Cookie File\r\n"
        "# a comment\tTRUE\t/\tFALSE\t0\tn\tv\r\n"
        "\r\n"
        "short.test\tTRUE\t/\tFALSE\t0\tn\r\n"
        "bad.test\tTRUE\t/\tFALSE\tsoon\tn\tv\r\n"
        ".a.test\tTRUE\t/v\tFALSE\t\tpref\t\r\n"
        "a.test\tFALSE\t/\tTRUE\t1700000000.5\tsid\ta=b";
    const std::vector<BrowserCookie> expected{{"pref", "", "a.test", "/v", false, false, false, 0},
                                              kHostCookie};
    EXPECT_EQ(ParseNetscapeFile(file), expected);
}

TEST(ContextRecordTest, KeepsTheWholeContext) {
    const ItemContext context{
        "https://a.test/p", "https://a.test/r", "Agent/1", {kHostCookie, kDomainCookie}};
    EXPECT_EQ(ParseContextRecord(ContextRecord(context)), context);
    EXPECT_EQ(ParseContextRecord(ContextRecord(ItemContext{})), ItemContext{});
}

TEST(ContextRecordTest, RefusesADamagedRecord) {
    for (const char* damaged :
         {"", "{", "[]", "\xff", R"({"p":1})", R"({"c":{}})", R"({"c":[["a"]]})",
          R"({"c":[["n","v","d","/",8,0]]})", R"({"c":[["n","v","d","/",1,1.5]]})",
          R"({"c":[["n","v","d","/",1,18446744073709551615]]})"}) {
        EXPECT_EQ(ParseContextRecord(damaged), std::nullopt) << damaged;
    }
}

} // namespace
} // namespace tarnwick::handoff
