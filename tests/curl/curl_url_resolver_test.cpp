// The examples of RFC 3986 section 5.4 against libcurl's URL parser: where
// curl resolves otherwise, what it gives is written down, so that a libcurl
// that changes shows here.
#include "curl/curl_url_resolver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnwick::curl {
namespace {

struct ReferenceCase {
    std::string reference;
    std::string rfc;
    // What curl gives where it differs from the RFC: nothing when it refuses.
    std::optional<std::optional<std::string>> curl = std::nullopt;
};

class CurlUrlResolverTest : public testing::TestWithParam<ReferenceCase> {};

TEST_P(CurlUrlResolverTest, ResolvesAsTheRfcExceptWhereWrittenDown) {
    const ReferenceCase& c = GetParam();
    const std::optional<std::string> want = c.curl ? *c.curl : c.rfc;
    EXPECT_EQ(CurlUrlResolver().Resolve("http://a/b/c/d;p?q", c.reference), want);
}

const std::optional<std::string> kRefused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Rfc3986Examples, CurlUrlResolverTest,
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

TEST(CurlUrlResolver, NormalisesWhatAPageWrites) {
    const CurlUrlResolver resolver;
    const std::string page = "https://news.example.org/a/page.html?x=1";
    EXPECT_EQ(resolver.Resolve(page, "my clip.mp4?q=a b"),
              "https://news.example.org/a/my%20clip.mp4?q=a+b");
    EXPECT_EQ(resolver.Resolve(page, "v.mp4?"), "https://news.example.org/a/v.mp4");
    EXPECT_EQ(resolver.Resolve(page,
                               "/a\x01"
                               "b.mp4"),
              std::nullopt);
    EXPECT_EQ(resolver.Resolve(page, "http:///c.mp4"), "http://c.mp4/");
    EXPECT_EQ(resolver.Resolve("not an address", "v.mp4"), std::nullopt);
}

} // namespace
} // namespace tarnwick::curl
