#include "resolve/json_ld.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>
#include <vector>

namespace tarnwick::resolve {
namespace {

// "address type width height", a size that is missing as "-".
std::string Describe(const VideoCandidate& video) {
    const auto size = [](const std::optional<long>& s) { return s ? std::to_string(*s) : "-"; };
    return video.address + " " + (video.type.empty() ? "-" : video.type) + " " + size(video.width) +
           " " + size(video.height);
}

std::vector<std::string> Described(std::string_view text) {
    std::vector<std::string> described;
    for (const VideoCandidate& video : VideoObjectsIn(text, 100)) {
        described.push_back(Describe(video));
    }
    return described;
}

std::string Nested(int depth, const std::string& inside) {
    return std::string(depth, '[') + inside + std::string(depth, ']');
}

struct JsonLdCase {
    const char* name;
    std::string text;
    std::vector<std::string> videos;
};

void PrintTo(const JsonLdCase& c, std::ostream* out) { *out << c.name; }

class VideoObjectsInTest : public testing::TestWithParam<JsonLdCase> {};

TEST_P(VideoObjectsInTest, FindsTheVideoObjects) {
    EXPECT_EQ(Described(GetParam().text), GetParam().videos);
}

const std::string kVideo = R"({"@type":"VideoObject","contentUrl":"v.mp4"})";

INSTANTIATE_TEST_SUITE_P(
    Texts, VideoObjectsInTest,
    testing::Values(
        JsonLdCase{"NoJson", "{\"@type\":\"VideoObject\",", {}},
        JsonLdCase{"TypeAsFullName",
                   R"({"@type":"https://schema.org/VideoObject","contentUrl":"a"})",
                   {"a - - -"}},
        JsonLdCase{"ContentUrlNotText", R"({"@type":"VideoObject","contentUrl":["a.mp4"]})", {}},
        JsonLdCase{"FormatWithoutSlashIgnored",
                   R"({"@type":"VideoObject","contentUrl":"a","encodingFormat":"mp4"})",
                   {"a - - -"}},
        JsonLdCase{"SizesBeyondReasonDropped",
                   R"({"@type":"VideoObject","contentUrl":"a","width":1e300,"height":-5})",
                   {"a - - -"}},
        JsonLdCase{
            "SizesOfOtherKindsDropped",
            R"({"@type":"VideoObject","contentUrl":"a","width":true,"height":{"unit":"px"}})",
            {"a - - -"}},
        JsonLdCase{"WrittenOrderKept",
                   R"({"z":{"@type":"VideoObject","contentUrl":"first"},
                       "@graph":[{"@type":"VideoObject","contentUrl":"second",
                                  "hasPart":{"@type":"VideoObject","contentUrl":"third"}}],
                       "a":[[{"@type":"VideoObject","contentUrl":"fourth"}]]})",
                   {"first - - -", "second - - -", "third - - -", "fourth - - -"}},
        JsonLdCase{"ShallowNestingRead", Nested(60, kVideo), {"v.mp4 - - -"}},
        JsonLdCase{"DeepNestingNotRead", Nested(100'000, kVideo), {}},
        // Marks that hide a script from old browsers.
        JsonLdCase{
            "InCdataBehindLineComments", "\n//<![CDATA[\n" + kVideo + "\n//]]>\n", {"v.mp4 - - -"}},
        JsonLdCase{
            "InCdataBehindBlockComments", "/*<![CDATA[*/" + kVideo + "/*]]>*/", {"v.mp4 - - -"}},
        JsonLdCase{"InAComment", " <!--\n" + kVideo + "\n--> ", {"v.mp4 - - -"}},
        JsonLdCase{
            "InACommentAndCdata", "<!--//<![CDATA[\n" + kVideo + "\n//]]>//-->", {"v.mp4 - - -"}},
        JsonLdCase{"OnlyMarks", "<!--//<![CDATA[//]]>-->", {}},
        JsonLdCase{"MarksInsideAreText",
                   R"({"@type":"VideoObject","contentUrl":"<!--a-->","name":"]]>"})",
                   {"<!--a--> - - -"}}),
    [](const testing::TestParamInfo<JsonLdCase>& info) { return info.param.name; });

} // namespace
} // namespace tarnwick::resolve
