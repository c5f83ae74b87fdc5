#include "resolve/page_reader.h"

#include "html/libxml_html_parser.h"

#include <gtest/gtest.h>
#include <ostream>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace tarnwick::resolve {
namespace {

std::string ReadFixture(const std::string& file) {
    std::ifstream in(std::string(TARNWICK_FIXTURE_DIR) + "/pages/" + file, std::ios::binary);
    EXPECT_TRUE(in) << file;
    std::ostringstream page;
    page << in.rdbuf();
    return page.str();
}

PageVerdict Link(std::string link) { return {std::move(link), std::nullopt}; }
PageVerdict NoLink(Reason reason) { return {"", reason}; }
PageVerdict Playlist(std::string link, std::string title) {
    return {std::move(link), std::nullopt, true, std::move(title)};
}

// Reads the page in pieces of `piece` bytes, as it may arrive.
PageVerdict ReadInPieces(const std::string& address, const std::string& page, size_t piece) {
    html::LibxmlHtmlParserFactory parsers;
    PageReader reader(address);
    const auto parser = parsers.NewParser(reader);
    for (size_t at = 0; at < page.size(); at += piece) {
        parser->Feed(page.data() + at, std::min(piece, page.size() - at));
    }
    EXPECT_TRUE(parser->Finish());
    return reader.Verdict();
}

struct PageCase {
    const char* name;
    const char* file;
    std::string address;
    PageVerdict verdict;
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }

class PageReaderTest : public testing::TestWithParam<PageCase> {};

TEST_P(PageReaderTest, FindsTheVideo) {
    const PageCase& c = GetParam();
    const std::string page = ReadFixture(c.file);
    html::LibxmlHtmlParserFactory parsers;
    // The title is checked where the case names one; subtitles elsewhere.
    const auto as_named = [&](PageVerdict read) {
        if (c.verdict.title.empty()) read.title.clear();
        read.subtitles.clear();
        return read;
    };
    EXPECT_EQ(as_named(ReadPage(parsers, c.address, page)), c.verdict);
    EXPECT_EQ(as_named(ReadInPieces(c.address, page, 1)), c.verdict);
}

const std::string kMuseum = "https://museum.example.net/halls/";

INSTANTIATE_TEST_SUITE_P(
    Pages, PageReaderTest,
    testing::Values(
        // Each form alone.
        PageCase{"VideoSrc", "video_src.html", "https://news.example.org/stories/harbour",
                 PageVerdict{"https://news.example.org/media/2024/harbour-tour.mp4", std::nullopt,
                             false, "Harbour tour opens for the summer - Riverside News"}},
        PageCase{"SourceTypedMp4BeatsWebm", "video_sources_typed.html", kMuseum,
                 Link("https://media.museum.example.net/play/clock-1188")},
        PageCase{"OpenGraphSecureUrlFirst", "og_video_secure_url.html", "https://news.example.org/",
                 PageVerdict{"https://video.news.example.org/council/0304", std::nullopt, false,
                             "Town council meeting, 4 March"}},
        PageCase{"OpenGraphUrlTrimmedAndSchemeRelative", "og_video_url.html", kMuseum,
                 Link("https://cdn.museum.example.net/v/8812")},
        PageCase{"OpenGraphByName", "og_video_name_attribute.html", "https://clubs.example.com/",
                 Link("https://clubs.example.com/rides/spring-ride.MOV")},
        PageCase{"OpenGraphPlayerPageIsNoVideo", "og_video_player_page.html",
                 "https://lectures.example.edu/rivers/3",
                 Link("https://lectures.example.edu/files/rivers-3.mp4")},
        PageCase{"OpenGraphPlayerBeforeTheFile", "og_video_array_player_first.html",
                 "https://sail.example.com/regatta/9",
                 Link("https://media.sail.example.com/r/9/main")},
        PageCase{"OpenGraphSizesBelongToTheirVideo", "og_video_array_sizes.html",
                 "https://rail.example.org/", Link("https://rail.example.org/r/cd34")},
        PageCase{"TwitterStream", "twitter_stream.html", "https://sport.example.org/goal-17",
                 Link("https://sport.example.org/stream/goal-17")},
        PageCase{"TwitterStreamByProperty", "twitter_stream_property.html",
                 "https://weather.example.org/",
                 Link("https://weather.example.org/weather/weekend.webm")},
        PageCase{"JsonLdTopLevel", "json_ld_top_level.html", "https://bakery.example.com/bread",
                 Link("https://bakery.example.com/video/bread.mp4")},
        PageCase{"JsonLdInGraph", "json_ld_graph.html", "https://stars.example.org/night/",
                 Link("https://stars.example.org/media/night-observatory.webm")},
        PageCase{"JsonLdArrayWithQuantitativeValues", "json_ld_array.html",
                 "https://choir.example.org/",
                 Link("https://choir.example.org/v/rehearsal-1080.mp4")},
        PageCase{"JsonLdNestedInArticle", "json_ld_nested.html",
                 "https://news.example.org/2024/floods/",
                 Link("https://news.example.org/2024/floods/clips/barrier.m4v")},
        PageCase{"JsonLdInCdata", "json_ld_in_cdata.html", "https://coast.example.org/",
                 Link("https://coast.example.org/films/lighthouse.mp4")},
        PageCase{"JsonLdInAComment", "json_ld_in_comment.html", "https://farm.example.com/spring/",
                 Link("https://farm.example.com/clips/orchard.webm")},
        PageCase{"LinkAsLastResort", "link_last_resort.html", "https://lectures.example.edu/geo/",
                 Link("https://lectures.example.edu/geo/downloads/lecture-03.MOV?download=1")},
        PageCase{"LinkIgnoredBesideAVideo", "link_ignored_beside_video.html",
                 "https://choir.example.org/concert/",
                 Link("https://choir.example.org/concert/concert.ogv")},
        // What is no candidate.
        PageCase{"CommentedOutVideo", "commented_video.html", "https://market.example.com/",
                 Link("https://market.example.com/video/market-day.webm")},
        PageCase{"AddressInScript", "script_address.html", "https://live.example.org/square",
                 NoLink(Reason::kNoLinkInPage)},
        PageCase{"NothingAtAll", "nothing.html", kMuseum, NoLink(Reason::kNoLinkInPage)},
        PageCase{"OtherSchemesSkipped", "skipped_schemes.html", "https://share.example.net/c/1",
                 Link("https://share.example.net/download/clip.mp4?token=71ab")},
        PageCase{"OnlyOtherSchemes", "skipped_schemes_only.html", "https://share.example.net/c/2",
                 NoLink(Reason::kNoLinkInPage)},
        // The choice.
        PageCase{"Mp4BeforeWebmBeforeOthers", "choice_kinds.html", "https://kites.example.org/",
                 Link("https://kites.example.org/v/kites.mp4")},
        PageCase{"WebmBeforeOthers", "choice_webm_over_others.html", "https://kites.example.org/",
                 Link("https://kites.example.org/v/kites-vp9")},
        PageCase{"LargestHeightAcrossForms", "choice_height.html", "https://ferry.example.com/",
                 Link("https://ferry.example.com/v/crossing-1080.mp4")},
        PageCase{"LargestWidthWithoutHeights", "choice_width.html", "https://ferry.example.com/",
                 Link("https://ferry.example.com/w/1280.mp4")},
        PageCase{"FirstInPageOrder", "choice_page_order.html", "https://cameras.example.com/a/",
                 Link("https://cameras.example.com/a/camera-a.mp4")},
        // Addresses.
        PageCase{"RelativeWithoutBase", "relative_no_base.html",
                 "https://museum.example.net/halls/east/index.html",
                 Link("https://museum.example.net/halls/clips/east%20hall.mp4?lang=en")},
        PageCase{"FirstBaseServesTheWholePage", "relative_with_base.html",
                 "https://museum.example.net/halls/west/",
                 Link("https://museum.example.net/assets/media/tour/west.mp4")},
        PageCase{"EntitiesDecoded", "entity_encoded.html", "https://cafe.example.com/music/",
                 Link("https://cafe.example.com/play?id=42&quality=hd&name=caf\xC3\xA9")},
        PageCase{"SchemeRelativeOnHttps", "http_https_mix.html", "https://archive.example.org/12",
                 Link("https://cdn.archive.example.org/reel-12.mp4")},
        PageCase{"SchemeRelativeOnHttp", "http_https_mix.html", "http://archive.example.org/12",
                 Link("http://cdn.archive.example.org/reel-12.mp4")},
        // Manifests.
        PageCase{
            "ManifestsOnly", "manifests_only.html", "https://news.example.org/live",
            Playlist("https://live.news.example.org/evening/master.m3u8", "Evening news, live")},
        PageCase{"LinkToAFileBeatsAStreamingPlayer", "hls_player_beside_link.html",
                 "https://harbour.example.org/festival/fireworks",
                 Link("https://harbour.example.org/downloads/fireworks-1080p.mp4")},
        PageCase{"ManifestNeverChosen", "manifest_beside_file.html", "https://choir.example.org/",
                 Link("https://choir.example.org/files/concert.mov")},
        // Markup as it comes.
        PageCase{"InlineScriptsBeforeTheVideo", "inline_scripts.html",
                 "https://parade.example.org/",
                 Link("https://parade.example.org/media/lantern-parade.mp4")},
        PageCase{"Utf16WithItsMark", "utf16_with_mark.html", "https://village.example.fr/2019/",
                 Link("https://village.example.fr/2019/m\xC3\xA9"
                      "dias/f\xC3\xAAte-2019.mp4")},
        PageCase{"BrokenMarkup", "broken_markup.html", "http://garden.example.org/diary/",
                 Link("http://garden.example.org/diary/week12.webm")}),
    [](const testing::TestParamInfo<PageCase>& info) { return info.param.name; });

std::string Meta(const std::string& property, const std::string& content) {
    return "<meta property=\"" + property + "\" content=\"" + content + "\">";
}

// og:video and og:video:url written together name one video; its secure
// address may follow what is declared of it.
TEST(PageReaderTracks, AVideosCaptionsAreItsSubtitles) {
    html::LibxmlHtmlParserFactory parsers;
    const PageVerdict read = ReadPage(parsers, kMuseum, ReadFixture("video_sources_typed.html"));
    EXPECT_EQ(read.subtitles,
              (std::vector<SubtitleOffer>{
                  {"en", "", "https://museum.example.net/workshop/clock.en.vtt", "vtt"}}));
}

TEST(PageReaderOpenGraph, AddressesWrittenTogetherShareTheirDeclarations) {
    html::LibxmlHtmlParserFactory parsers;
    const std::string player = Meta("og:video", "/embed/5") + Meta("og:video:url", "/embed/5") +
                               Meta("og:video:type", "text/html") + "<a href=/files/5.mov>";
    EXPECT_EQ(ReadPage(parsers, "https://og.example.org/", player),
              Link("https://og.example.org/files/5.mov"));
    const std::string flash_then_file =
        Meta("og:video", "http://og.example.org/5.swf") +
        Meta("og:video:type", "application/x-shockwave-flash") +
        Meta("og:video:secure_url", "https://og.example.org/5.swf") +
        Meta("og:video", "https://og.example.org/5") + Meta("og:video:type", "video/ogg");
    EXPECT_EQ(ReadPage(parsers, "https://og.example.org/", flash_then_file),
              Link("https://og.example.org/5"));
}

// An Open Graph array of two sizes: the cap takes the tallest at or below
// it, else the shortest above it.
TEST(PageReaderOpenGraph, AQualityCapChoosesAmongTheSizesGiven) {
    html::LibxmlHtmlParserFactory parsers;
    const std::string page = Meta("og:video", "/v/720.mp4") + Meta("og:video:height", "720") +
                             Meta("og:video", "/v/360.mp4") + Meta("og:video:height", "360");
    PageReader reader("https://og.example.org/");
    const auto parser = parsers.NewParser(reader);
    parser->Feed(page.data(), page.size());
    ASSERT_TRUE(parser->Finish());
    for (const auto& [cap, chosen] : std::vector<std::pair<int64_t, std::string>>{
             {0, "720"}, {1080, "720"}, {480, "360"}, {240, "360"}}) {
        EXPECT_EQ(reader.Verdict(cap).link, "https://og.example.org/v/" + chosen + ".mp4")
            << "cap " << cap;
    }
}

std::string Repeated(std::string_view unit, size_t times) {
    std::string text;
    text.reserve(unit.size() * times);
    for (size_t i = 0; i < times; ++i) text.append(unit);
    return text;
}

TEST(PageReaderBounds, MillionTags) {
    // Four tags a unit; every unit offers a video of the same kind.
    const std::string page = "<html><body>" +
                             Repeated(
                                 "<div><p><a href=\"/p\">x</a><video src=\"v.ogv\"></video>"
                                 "</p></div>",
                                 250'000) +
                             "<video src=\"/last.ogv\"></video></body></html>";
    html::LibxmlHtmlParserFactory parsers;
    EXPECT_EQ(ReadPage(parsers, "https://big.example.org/a/", page),
              Link("https://big.example.org/a/v.ogv"));
}

TEST(PageReaderBounds, HundredThousandDeep) {
    const std::string page = Repeated("<div>", 50'000) + Repeated("<video>", 50'000) +
                             "<source src=\"deep.webm\">" + Repeated("</video>", 50'000) +
                             "<source src=\"outside.mp4\">";
    html::LibxmlHtmlParserFactory parsers;
    EXPECT_EQ(ReadPage(parsers, "https://deep.example.org/", page),
              Link("https://deep.example.org/deep.webm"));
}

TEST(PageReaderBounds, OversizedJsonLdIsSkipped) {
    const std::string video = R"({"@type":"VideoObject","contentUrl":"/small.mp4"})";
    const std::string oversized = R"([{"@type":"VideoObject","contentUrl":"/big.mp4"},")" +
                                  std::string(1024 * 1024, 'x') + "\"]";
    const std::string script = "<script type=\"application/ld+json\">";
    html::LibxmlHtmlParserFactory parsers;
    EXPECT_EQ(ReadPage(parsers, "https://ld.example.org/", script + oversized + "</script>"),
              NoLink(Reason::kNoLinkInPage));
    EXPECT_EQ(ReadPage(parsers, "https://ld.example.org/",
                       script + oversized + "</script>" + script + video + "</script>"),
              Link("https://ld.example.org/small.mp4"));
}

} // namespace
} // namespace tarnwick::resolve
