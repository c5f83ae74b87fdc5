#include "resolve/url_resolution.h"

#include <gtest/gtest.h>
#include <ostream>

#include <optional>
#include <string>

namespace tarnwick::resolve {
namespace {

struct ReferenceCase {
    std::string reference;
    std::string resolved;
};

void PrintTo(const ReferenceCase& c, std::ostream* out) { *out << c.reference; }

class ResolveReferenceTest : public testing::TestWithParam<ReferenceCase> {};

// The examples of RFC 3986, section 5.4.
TEST_P(ResolveReferenceTest, ResolvesAgainstTheBase) {
    EXPECT_EQ(ResolveReference("http://a/b/c/d;p?q", GetParam().reference), GetParam().resolved);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc3986Examples, ResolveReferenceTest,
    testing::Values(
        // Normal examples.
        ReferenceCase{"g:h", "g:h"}, ReferenceCase{"g", "http://a/b/c/g"},
        ReferenceCase{"./g", "http://a/b/c/g"}, ReferenceCase{"g/", "http://a/b/c/g/"},
        ReferenceCase{"/g", "http://a/g"}, ReferenceCase{"//g", "http://g"},
        ReferenceCase{"?y", "http://a/b/c/d;p?y"}, ReferenceCase{"g?y", "http://a/b/c/g?y"},
        ReferenceCase{"#s", "http://a/b/c/d;p?q#s"}, ReferenceCase{"g#s", "http://a/b/c/g#s"},
        ReferenceCase{"g?y#s", "http://a/b/c/g?y#s"}, ReferenceCase{";x", "http://a/b/c/;x"},
        ReferenceCase{"g;x", "http://a/b/c/g;x"}, ReferenceCase{"g;x?y#s", "http://a/b/c/g;x?y#s"},
        ReferenceCase{"", "http://a/b/c/d;p?q"}, ReferenceCase{".", "http://a/b/c/"},
        ReferenceCase{"./", "http://a/b/c/"}, ReferenceCase{"..", "http://a/b/"},
        ReferenceCase{"../", "http://a/b/"}, ReferenceCase{"../g", "http://a/b/g"},
        ReferenceCase{"../..", "http://a/"}, ReferenceCase{"../../", "http://a/"},
        ReferenceCase{"../../g", "http://a/g"},
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
        ReferenceCase{"g#s/../x", "http://a/b/c/g#s/../x"}, ReferenceCase{"http:g", "http:g"}));

struct WebCase {
    const char* name;
    std::string base;
    std::string written;
    std::optional<std::string> address;
};

void PrintTo(const WebCase& c, std::ostream* out) { *out << c.name; }

class WebAddressInTest : public testing::TestWithParam<WebCase> {};

TEST_P(WebAddressInTest, GivesOnlyWebAddresses) {
    EXPECT_EQ(WebAddressIn(GetParam().base, GetParam().written), GetParam().address);
}

const std::string kPage = "https://news.example.org/a/page.html?x=1#top";

INSTANTIATE_TEST_SUITE_P(
    Addresses, WebAddressInTest,
    testing::Values(
        WebCase{"Relative", kPage, "v/clip.mp4", "https://news.example.org/a/v/clip.mp4"},
        WebCase{"BaseWithoutPath", "https://h.example", "clip.mp4", "https://h.example/clip.mp4"},
        WebCase{"SchemeLowered", kPage, "HTTPS://Cdn.Example.org/C.mp4",
                "https://Cdn.Example.org/C.mp4"},
        WebCase{"LineBreaksInsideDropped", kPage, "/long/\nname.mp4",
                "https://news.example.org/long/name.mp4"},
        WebCase{"ControlsInsideEncoded", kPage,
                "/a\x01"
                "b.mp4",
                "https://news.example.org/a%01b.mp4"},
        WebCase{"JavaScript", kPage, "JavaScript:play()", std::nullopt},
        WebCase{"WebSchemeWithoutHost", kPage, "http:///c.mp4", std::nullopt},
        WebCase{"WebSchemeWithoutSlashes", kPage, "http:c.mp4", std::nullopt},
        WebCase{"RelativeOnBaseOfOtherScheme", "ftp://files.example.org/", "c.mp4", std::nullopt},
        WebCase{"AbsoluteOnBrokenBase", "not an address", "https://h.example/c.mp4",
                "https://h.example/c.mp4"}),
    [](const testing::TestParamInfo<WebCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::resolve
