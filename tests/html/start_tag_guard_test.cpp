#include "html/start_tag_guard.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::html {
namespace {

constexpr int kMax = StartTagGuard::kMaxAttributes;

std::string Tokens(int count, const std::string& token) {
    std::string text;
    for (int i = 0; i < count; ++i) text += " " + token + std::to_string(i);
    return text;
}

// Where the guard stops `page` when fed in pieces of `piece`; npos when never.
size_t StopOf(const std::string& page, size_t piece) {
    StartTagGuard guard;
    for (size_t at = 0; at < page.size(); at += piece) {
        const std::string_view part = std::string_view(page).substr(at, piece);
        const size_t allowed = guard.Scan(part);
        if (guard.Tripped()) return at + allowed;
        EXPECT_EQ(allowed, part.size());
    }
    return std::string::npos;
}

TEST(StartTagGuard, StopsAtTheFirstAttributePastTheLimitWhateverThePieces) {
    const std::string head = "<p>text</p><a" + Tokens(kMax, "x");
    const std::string page = head + " late=1 more>";
    for (const size_t piece : {size_t{1}, size_t{7}, page.size()}) {
        EXPECT_EQ(StopOf(page, piece), head.size() + 1) << piece;
    }
}

TEST(StartTagGuard, PassesWhatIsNoAttributeOfOneTag) {
    const std::string many_tags = [] {
        std::string page;
        for (int i = 0; i < 3; ++i) page += "<a" + Tokens(kMax, "x") + ">";
        return page;
    }();
    const std::string pages[] = {
        many_tags,
        "<a title=\"" + Tokens(3 * kMax, "word") + "\" data-x='" + Tokens(kMax, "y") + "'>",
        "<script>if (a<b) {" + Tokens(3 * kMax, "x") + "}</script><p>",
        "<STYLE>a<b" + Tokens(3 * kMax, "x") + "</style >",
        "<p>a < b" + Tokens(3 * kMax, "w") + " and <!-- c" + Tokens(3 * kMax, "z") + "-->",
        "<a x=1" + Tokens(kMax - 1, "x") + "/>",
    };
    for (const std::string& page : pages) {
        EXPECT_EQ(StopOf(page, 5), std::string::npos) << page.substr(0, 40);
    }
}

TEST(StartTagGuard, ATagAfterAScriptIsWatchedAgain) {
    const std::string page = "<script>x = '</p>'</script><a" + Tokens(kMax + 1, "x") + ">";
    EXPECT_NE(StopOf(page, 3), std::string::npos);
}

} // namespace
} // namespace tarnwick::html
