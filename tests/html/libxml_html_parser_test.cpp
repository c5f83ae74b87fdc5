#include "html/libxml_html_parser.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <ostream>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::html {
namespace {

// What the handler heard, one line an event: "<name a=1 b=2>", "</name>",
// and "T:text" with the pieces of one text joined.
class Recorder : public platform::HtmlHandler {
public:
    void OnStartElement(std::string_view name,
                        const std::vector<platform::HtmlAttribute>& attributes) override {
        std::string event = "<" + std::string(name);
        for (const auto& attribute : attributes)
            event += " " + attribute.name + "=" + attribute.value;
        events.push_back(event + ">");
    }
    void OnEndElement(std::string_view name) override {
        events.push_back("</" + std::string(name) + ">");
    }
    void OnText(std::string_view text) override {
        if (events.empty() || !events.back().starts_with("T:")) events.push_back("T:");
        events.back().append(text);
    }

    std::vector<std::string> events;
};

std::vector<std::string> EventsOf(std::string_view page, size_t piece) {
    Recorder recorder;
    LibxmlHtmlParserFactory parsers;
    const auto parser = parsers.NewParser(recorder);
    for (size_t at = 0; at < page.size(); at += piece) {
        parser->Feed(page.data() + at, std::min(piece, page.size() - at));
    }
    EXPECT_TRUE(parser->Finish());
    return recorder.events;
}

const std::string kPage =
    "<!DOCTYPE html><html><head><title>T&amp;C</title>"
    "<script>if (a<b) x=\"</p>&amp;\";</script></head><body>"
    "<!-- <video src=c.mp4> --><VIDEO Src=\"a.mp4?x=1&amp;y=2\" controls>"
    "<source src=b.webm type=video/webm></video><p>Caf&eacute; &lt;3</p></body></html>";

std::string Joined(const std::vector<std::string>& events) {
    std::string joined;
    for (const std::string& event : events) joined += event + "|";
    return joined;
}

TEST(LibxmlHtmlParser, ReportsElementsAndText) {
    EXPECT_EQ(Joined(EventsOf(kPage, kPage.size())),
              "<html>|<head>|<title>|T:T&C|</title>|<script>|T:if (a<b) x=\"</p>&amp;\";|"
              "</script>|</head>|<body>|<video src=a.mp4?x=1&y=2 controls=>|"
              "<source src=b.webm type=video/webm>|</source>|</video>|"
              "<p>|T:Caf\xC3\xA9 <3|</p>|</body>|</html>|");
}

TEST(LibxmlHtmlParser, SameEventsWhateverThePieces) {
    const std::string large = kPage + std::string(200'000, ' ') + "<video src=late.mp4>";
    for (const std::string& page : {kPage, large}) {
        const std::vector<std::string> whole = EventsOf(page, page.size());
        for (const size_t piece : {1, 7, 4096}) EXPECT_EQ(EventsOf(page, piece), whole) << piece;
    }
}

// The first start of element `name` that the handler hears for `page`.
std::string FirstStart(std::string_view page, std::string_view name) {
    for (const std::string& event : EventsOf(page, page.size())) {
        if (event.starts_with("<" + std::string(name) + " ")) return event;
    }
    return "";
}

struct AttributeCase {
    const char* name;
    std::string markup;
    std::string element;
};

void PrintTo(const AttributeCase& c, std::ostream* out) { *out << c.name; }

class AttributeTest : public testing::TestWithParam<AttributeCase> {};

TEST_P(AttributeTest, ReportsTheAttributes) {
    const std::string element = GetParam().element;
    EXPECT_EQ(FirstStart(GetParam().markup, element.substr(1, element.find(' ') - 1)), element);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, AttributeTest,
    testing::Values(AttributeCase{"ReferencesDecoded", "<a href=\"/v?a=1&amp;b=2&#38;c=&#x33;\">",
                                  "<a href=/v?a=1&b=2&c=3>"},
                    AttributeCase{"NamedReferencesAsUtf8", "<a title=\"caf&eacute; &euro;\">",
                                  "<a title=caf\xC3\xA9 \xE2\x82\xAC>"},
                    AttributeCase{"AngleBracketsInValue", "<a title=\"1 < 2 > 0\" href='x>y'>",
                                  "<a title=1 < 2 > 0 href=x>y>"},
                    AttributeCase{"UndeclaredPageReadAsUtf8", "<p><a title=\"caf\xC3\xA9\">",
                                  "<a title=caf\xC3\xA9>"},
                    AttributeCase{"DeclaredLatin1PageReadAsLatin1",
                                  "<meta charset=iso-8859-1><a title=\"caf\xE9\">",
                                  "<a title=caf\xC3\xA9>"}),
    [](const testing::TestParamInfo<AttributeCase>& info) { return info.param.name; });

// `units` as UTF-16 behind its byte-order mark.
std::string MarkedUtf16(std::u16string_view units, bool little_endian) {
    std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little_endian ? low : high;
        bytes += little_endian ? high : low;
    }
    return bytes;
}

struct MarkedPage {
    const char* name;
    std::string page;
};

void PrintTo(const MarkedPage& c, std::ostream* out) { *out << c.name; }

class MarkedPageTest : public testing::TestWithParam<MarkedPage> {};

// The mark decides how the page is read, before any character set it declares.
TEST_P(MarkedPageTest, IsReadAsItsByteOrderMarkSays) {
    const std::string& page = GetParam().page;
    for (const size_t piece : {size_t{1}, size_t{7}, page.size()}) {
        const std::string events = Joined(EventsOf(page, piece));
        EXPECT_NE(events.find("|<a title=caf\xC3\xA9 \xF0\x9F\x8E\xA5 href=v.mp4>|"),
                  std::string::npos)
            << events << " in pieces of " << piece;
    }
}

const std::u16string kMarkedLink = u"<a title=\"caf\u00E9 \U0001F3A5\" href=v.mp4>";

INSTANTIATE_TEST_SUITE_P(
    Pages, MarkedPageTest,
    testing::Values(MarkedPage{"Utf16LittleEndian", MarkedUtf16(u"<p>" + kMarkedLink, true)},
                    MarkedPage{"Utf16BigEndian", MarkedUtf16(u"<p>" + kMarkedLink, false)},
                    MarkedPage{"Utf16DeclaringUtf16",
                               MarkedUtf16(u"<meta http-equiv=Content-Type content=\"text/html; "
                                           u"charset=UTF-16LE\"><meta charset=utf-16>" +
                                               kMarkedLink,
                                           true)},
                    MarkedPage{"Utf16DeclaringLatin1",
                               MarkedUtf16(u"<meta charset=iso-8859-1>" + kMarkedLink, false)},
                    MarkedPage{"Utf8DeclaringLatin1",
                               "\xEF\xBB\xBF<meta charset=iso-8859-1><a title=\"caf"
                               "\xC3\xA9 \xF0\x9F\x8E\xA5\" href=v.mp4>"}),
    [](const testing::TestParamInfo<MarkedPage>& info) { return info.param.name; });

// What the code under test writes to stderr, through a pipe that takes it
// without ever blocking the writer.
class StderrCapture {
public:
    StderrCapture() {
        EXPECT_EQ(pipe(pipe_), 0);
        fcntl(pipe_[0], F_SETFL, O_NONBLOCK);
        fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(pipe_[1], STDERR_FILENO);
    }
    std::string Release() {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        close(pipe_[1]);
        std::string written;
        char buffer[256];
        for (ssize_t n; (n = read(pipe_[0], buffer, sizeof buffer)) > 0;) written.append(buffer, n);
        close(pipe_[0]);
        return written;
    }

private:
    int pipe_[2] = {-1, -1};
    int saved_ = -1;
};

// Whether every start has its end, and every end its start, in order.
bool WellNested(const std::vector<std::string>& events) {
    std::vector<std::string> open;
    for (const std::string& event : events) {
        if (event.starts_with("</")) {
            if (open.empty() || open.back() != event.substr(2, event.size() - 3)) return false;
            open.pop_back();
        } else if (event.starts_with("<")) {
            open.push_back(event.substr(1, event.find_first_of(" >") - 1));
        }
    }
    return open.empty();
}

TEST(LibxmlHtmlParser, BrokenMarkupEndsWellNestedAndSilently) {
    using namespace std::string_literals;
    const std::string pages[] = {
        "<div><video src=\"a.mp",
        "<meta charset=\"shift_jis\"><p>\x82\xff\xfe</p><video src=u>",
        "<meta charset=\"no-such-charset\"><p>text",
        "<table><tr><td><b><i></b></td></tr></i><<<>>></ >",
        "<!-- never closed <video src=x>",
        "<p>nul\0byte</p><![CDATA[x]]><?xml version=\"1.0\"?>&bogus; &#0; &#xFFFFFF;"s,
        "\xEF\xBB\xBF<script>never closed",
        "<video src=\"a.mp4\" <source src=b.mp4></video><p>after",
        "<html><html><body><body><p><div><br/><meta x=1><img src=i><video/><p>a<p>b</table>",
        "<ul><li>one<li>two</ul><dl><dt>t<dd>d</dl><select><option>o<option>p</select>",
        "\xFF\xFE<\0v\0i\0d\0e\0o\0 \0s\0r\0c\0=\0a\0\x3D\xD8<"s,
    };
    for (const std::string& page : pages) {
        for (const size_t piece : {size_t{1}, size_t{5}, page.size()}) {
            StderrCapture capture;
            const std::vector<std::string> events = EventsOf(page, piece);
            EXPECT_EQ(capture.Release(), "") << page;
            EXPECT_TRUE(WellNested(events)) << page << " in pieces of " << piece;
        }
    }
}

TEST(LibxmlHtmlParser, APageIsReadOnlyUpToATagOfCountlessAttributes) {
    std::string tag = "<p";
    for (int i = 0; i < 100'000; ++i) tag += " a" + std::to_string(i);
    const std::string page = "<video src=first.mp4></video>" + tag + "><video src=after.mp4>";
    for (const size_t piece : {size_t{4096}, page.size()}) {
        const std::string events = Joined(EventsOf(page, piece));
        EXPECT_NE(events.find("<video src=first.mp4>"), std::string::npos);
        EXPECT_EQ(events.find("after.mp4"), std::string::npos);
    }
}

class ThrowingOnVideo : public Recorder {
public:
    void OnStartElement(std::string_view name,
                        const std::vector<platform::HtmlAttribute>& attributes) override {
        if (name == "video") throw std::runtime_error("handler failed");
        Recorder::OnStartElement(name, attributes);
    }
};

TEST(LibxmlHtmlParser, HandlerExceptionEndsTheParseAndFinishTellsIt) {
    ThrowingOnVideo handler;
    LibxmlHtmlParserFactory parsers;
    const auto parser = parsers.NewParser(handler);
    const std::string page = "<p>a</p><video src=v.mp4><p>b</p>";
    parser->Feed(page.data(), page.size());
    const std::vector<std::string> heard = handler.events;
    EXPECT_FALSE(heard.empty());
    const std::string more = "<p>c</p>";
    parser->Feed(more.data(), more.size());
    const Status finished = parser->Finish();
    EXPECT_EQ(handler.events, heard);
    ASSERT_FALSE(finished);
    EXPECT_EQ(finished.failure(), (Failure{Reason::kNoLinkInPage, 0, "handler failed"}));
}

} // namespace
} // namespace tarnwick::html
