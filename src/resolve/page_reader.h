// The general page reader: finds the video file that a web page of no
// supported site carries, from the page's HTML as it arrives. It collects
// candidates from <video> and <source>, the Open Graph and Twitter video
// meta tags, JSON-LD VideoObjects, and, as the last resort, links to files
// with a video extension; and chooses the best of them.
#pragma once

#include "common/outcome.h"
#include "platform/html_parser.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resolve/subtitle_choice.h"

namespace tarnwick::resolve {

// What the reader found in a page.
struct PageVerdict {
    // The chosen video's absolute http or https address; empty when none.
    std::string link;
    // Why there is none: kNoLinkInPage, or kStreamedVideo when the page
    // offers its video only as DASH manifests.
    std::optional<Reason> reason;
    // The link is an HLS playlist: the page offers no video file.
    bool playlist = false;
    // The page's og:title, else its <title>, as one line: what the video is
    // named by, with a link or without one.
    std::string title = {};
    // The subtitles of the page's <video>s (<track kind="subtitles" or
    // "captions">), at their absolute http(s) addresses.
    std::vector<SubtitleOffer> subtitles = {};

    bool operator==(const PageVerdict&) const = default;
};

class PageReader : public platform::HtmlHandler {
public:
    explicit PageReader(std::string page_address);
    ~PageReader() override;
    PageReader(const PageReader&) = delete;
    PageReader& operator=(const PageReader&) = delete;

    void OnStartElement(std::string_view name,
                        const std::vector<platform::HtmlAttribute>& attributes) override;
    void OnEndElement(std::string_view name) override;
    void OnText(std::string_view text) override;

    // The page came from `address` after all: a redirect took it there.
    // Relative addresses resolve against it.
    void SetPageAddress(std::string address);

    // The choice among what was read so far; meant for after the whole page.
    // Videos taller than `max_height` lets through are left out (0: none).
    PageVerdict Verdict(int64_t max_height = 0) const;

private:
    PageVerdict VideoVerdict(int64_t max_height) const;

    struct State;
    std::unique_ptr<State> state_;
};

// Reads a whole page at once with a parser of `parsers`.
PageVerdict ReadPage(platform::HtmlParserFactory& parsers, const std::string& page_address,
                     std::string_view page);

} // namespace tarnwick::resolve
