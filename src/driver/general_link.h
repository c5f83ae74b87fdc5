// Finds the video link behind an address of no supported site. A direct
// link to a video file is its own link; so is an address that answers with a
// file (a video, a sound, a download), and one that is an HLS playlist (by its
// path, its type or its body). Any other address is read as a web page by the
// general page reader, fed as the page arrives. A page request whose answer
// turns out to be a file is handed over as it stands, to become the file's
// transfer: a file is never read into memory as a page, nor asked for twice.
#pragma once

#include "common/outcome.h"
#include "driver/plan.h"
#include "platform/html_parser.h"
#include "resolve/page_reader.h"
#include "transfer/page_fetch.h"
#include "transfer/probe.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::driver {

struct GeneralLink {
    // Complete with a link (and possibly more), or failed with the reason.
    Outcome outcome = Outcome::Cancelled();
    std::string link;
    // The link is an HLS playlist, to be downloaded piece by piece.
    bool playlist = false;
    // The title of the page that was read, if any, found link or not.
    std::string title = {};
    // The probe of the address itself, when that showed the video.
    std::optional<transfer::Probe::Result> probed;
    // The page request whose answer turned out to be the file.
    std::shared_ptr<OpenedFetch> opened;
    // Whether a page was read, and the subtitles of its videos.
    bool page_read = false;
    std::vector<resolve::SubtitleOffer> subtitles = {};
};

class GeneralLinkFinder {
public:
    using ProgressHandler = transfer::PageFetch::ProgressHandler;
    using DoneHandler = std::function<void(GeneralLink found)>;

    // A page's videos taller than `max_height` lets through are left out (0: none).
    GeneralLinkFinder(transfer::RequestContext& requests, platform::HtmlParserFactory& parsers,
                      int64_t max_height = 0)
        : requests_(requests), parsers_(parsers), max_height_(max_height) {}
    GeneralLinkFinder(const GeneralLinkFinder&) = delete;
    GeneralLinkFinder& operator=(const GeneralLinkFinder&) = delete;

    // `on_done` is called once, from the event loop; the finder may be
    // destroyed from inside it. Destroying it before ends what is under way.
    void Start(const std::string& address, ProgressHandler on_page_progress, DoneHandler on_done);

private:
    void OnAddressProbed(transfer::Probe::Result result);
    void ReadPage();
    void OnPage(transfer::PageFetch::Result result);
    void Finish(GeneralLink found);

    transfer::RequestContext& requests_;
    platform::HtmlParserFactory& parsers_;
    int64_t max_height_ = 0;
    std::string address_;
    ProgressHandler on_page_progress_;
    DoneHandler on_done_;
    std::unique_ptr<transfer::Probe> probe_;
    std::unique_ptr<transfer::PageFetch> page_fetch_;
    std::unique_ptr<resolve::PageReader> reader_;
    std::unique_ptr<platform::HtmlParser> parser_;
    // The page's first bytes, which tell a playlist from a page.
    std::string opening_;
};

} // namespace tarnwick::driver
