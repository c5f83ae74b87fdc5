// Random pages through the libxml2 parser and the general page reader, fed in
// pieces of random sizes. The input's first line is the page's address, the
// rest is the page; its last four bytes choose the pieces.
#include "common/text.h"
#include "fuzz_check.h"
#include "html/libxml_html_parser.h"
#include "resolve/page_reader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using tarnwick::Reason;

bool HasWebScheme(const std::string& link) {
    const std::string lower = tarnwick::text::ToLowerAscii(link.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://");
}

bool HasControlCharacter(const std::string& link) {
    return std::any_of(link.begin(), link.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    uint32_t pieces = input.ConsumeIntegral<uint32_t>();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const size_t line_end = std::min(rest.find('\n'), rest.size());
    const std::string address = rest.substr(0, line_end);
    const std::string_view page =
        std::string_view(rest).substr(std::min(line_end + 1, rest.size()));

    tarnwick::html::LibxmlHtmlParserFactory parsers;
    tarnwick::resolve::PageReader reader(address);
    const auto parser = parsers.NewParser(reader);
    for (size_t at = 0; at < page.size();) {
        pieces = pieces * 1664525u + 1013904223u;
        const size_t piece = std::min<size_t>(1 + (pieces >> 20) % 200, page.size() - at);
        parser->Feed(page.data() + at, piece);
        at += piece;
    }
    parser->Finish();
    const tarnwick::resolve::PageVerdict verdict = reader.Verdict();

    FUZZ_REQUIRE(verdict.link.empty() == verdict.reason.has_value());
    if (verdict.reason) {
        FUZZ_REQUIRE(*verdict.reason == Reason::kNoLinkInPage ||
                     *verdict.reason == Reason::kStreamedVideo);
    } else {
        FUZZ_REQUIRE(HasWebScheme(verdict.link));
        FUZZ_REQUIRE(!HasControlCharacter(verdict.link));
    }
    return 0;
}
