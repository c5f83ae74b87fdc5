// The examples of RFC 3986 section 5.4 against libcurl's URL parser, which
// the program does not resolve page addresses with: where curl resolves
// otherwise, what it gives is written down, so that a libcurl that changes
// shows here.
#include <curl/curl.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace tarnwick::curl {
namespace {

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct TextFree {
    void operator()(char* text) const { curl_free(text); }
};

// `reference` set on a URL handle holding `base`, as a redirect is followed.
std::optional<std::string> CurlResolves(std::string_view base, std::string_view reference) {
    const std::unique_ptr<CURLU, UrlFree> url(curl_url());
    for (const std::string& part : {std::string(base), std::string(reference)}) {
        if (curl_url_set(url.get(), CURLUPART_URL, part.c_str(), 0) != CURLUE_OK) {
            return std::nullopt;
        }
    }
    char* resolved = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &resolved, 0) != CURLUE_OK) return std::nullopt;
    const std::unique_ptr<char, TextFree> owned(resolved);
    return std::string(resolved);
}

struct ReferenceCase {
    std::string reference;
    std::string rfc;
    // What curl gives where it differs from the RFC: nothing when it refuses.
    std::optional<std::optional<std::string>> curl = std::nullopt;
};

void PrintTo(const ReferenceCase& c, std::ostream* out) { *out << '"' << c.reference << '"'; }

class CurlUrlParserTest : public testing::TestWithParam<ReferenceCase> {};

TEST_P(CurlUrlParserTest, ResolvesAsTheRfcExceptWhereWrittenDown) {
    const ReferenceCase& c = GetParam();
    const std::optional<std::string> want = c.curl ? *c.curl : c.rfc;
    EXPECT_EQ(CurlResolves("http://a/b/c/d;p?q", c.reference), want);
}

const std::optional<std::string> kRefused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Rfc3986Examples, CurlUrlParserTest,
    testing::Values(
        // Normal examples.
        ReferenceCase{"g:h", "g:h", kRefused}, ReferenceCase{"g", "http://a/b/c/g"},
        ReferenceCase{"./g", "http://a/b/c/g"}, ReferenceCase{"g/", "http://a/b/c/g/"},
        ReferenceCase{"/g", "http://a/g"}, ReferenceCase{"//g", "http://g", "http://g/"},
        ReferenceCase{"?y", "http://a/b/c/d;p?y"}, ReferenceCase{"g?y", "http://a/b/c/g?y"},
        ReferenceCase{"#s", "http://a/b/c/d;p?q#s", "http://a/b/c/#s"},
        ReferenceCase{"g#s", "http://a/b/c/g#s"}, ReferenceCase{"g?y#s", "http://a/b/c/g?y#s"},
        ReferenceCase{";x", "http://a/b/c/;x"}, ReferenceCase{"g;x", "http://a/b/c/g;x"},
        ReferenceCase{"g;x?y#s", "http://a/b/c/g;x?y#s"},
        ReferenceCase{"", "http://a/b/c/d;p?q", "http://a/b/c/"},
        ReferenceCase{".", "http://a/b/c/"}, ReferenceCase{"./", "http://a/b/c/"},
        ReferenceCase{"..", "http://a/b/"}, ReferenceCase{"../", "http://a/b/"},
        ReferenceCase{"../g", "http://a/b/g"}, ReferenceCase{"../..", "http://a/"},
        ReferenceCase{"../../", "http://a/"}, ReferenceCase{"../../g", "http://a/g"},
        // Abnormal examples.
        ReferenceCase{"../../../g", "http://a/g"}, ReferenceCase{"../../../../g", "http://a/g"},
        ReferenceCase{"/./g", "http://a/g"}, ReferenceCase{"/../g", "http://a/g"},
        ReferenceCase{"g.", "http://a/b/c/g."}, ReferenceCase{".g", "http://a/b/c/.g"},
        ReferenceCase{"g..", "http://a/b/c/g.."}, ReferenceCase{"..g", "http://a/b/c/..g"},
        ReferenceCase{"./../g", "http://a/b/g"}, ReferenceCase{"./g/.", "http://a/b/c/g/"},
        ReferenceCase{"g/./h", "http://a/b/c/g/h"}, ReferenceCase{"g/../h", "http://a/b/c/h"},
        ReferenceCase{"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        ReferenceCase{"g;x=1/../y", "http://a/b/c/y"},
        ReferenceCase{"g?y/./x", "http://a/b/c/g?y/./x"},
        ReferenceCase{"g?y/../x", "http://a/b/c/g?y/../x"},
        ReferenceCase{"g#s/./x", "http://a/b/c/g#s/./x"},
        ReferenceCase{"g#s/../x", "http://a/b/c/g#s/../x"},
        ReferenceCase{"http:g", "http:g", kRefused}));

// Why page addresses are resolved by the program's own code.
TEST(CurlUrlParser, ChangesWhatAPageWrites) {
    const std::string page = "https://news.example.org/a/page.html?x=1";
    EXPECT_EQ(CurlResolves(page, "my clip.mp4?q=a b"),
              "https://news.example.org/a/my%20clip.mp4?q=a+b");
    EXPECT_EQ(CurlResolves(page, "v.mp4?"), "https://news.example.org/a/v.mp4");
    EXPECT_EQ(CurlResolves(page,
                           "/a\x01"
                           "b.mp4"),
              std::nullopt);
    EXPECT_EQ(CurlResolves(page, "http:///c.mp4"), "http://c.mp4/");
    EXPECT_EQ(CurlResolves("not an address", "v.mp4"), std::nullopt);
}

} // namespace
} // namespace tarnwick::curl
