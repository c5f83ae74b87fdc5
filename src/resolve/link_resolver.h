// Turns the address of a video page into the address of its video file:
// the page is fetched into the page file and handed to its site's extractor.
#pragma once

#include "common/main_state.h"
#include "transfer/download.h"

#include <cstdint>
#include <string>

namespace tarnwick::resolve {

// Results other than a link.
inline constexpr const char* kNoSupportedSite = "-1";
inline constexpr const char* kPageNotFetched = "-2";
inline constexpr const char* kNoLinkFound = "0";

// A page fetch gives up with "Could not read URL" once a page passes this.
inline constexpr int64_t kPageSizeLimit = 64LL * 1024 * 1024;

class LinkResolver {
public:
    LinkResolver(MainState& state, transfer::Download& download, std::string page_file)
        : state_(state), download_(download), page_file_(std::move(page_file)) {}

    // The link, or "-1" (no supported site, nothing fetched), "-2" (the page
    // was not fetched) or "0" (no link in the page). Errors of the transfer
    // that no event reports reach the caller, with Preparing cleared.
    std::string GetDownloadLink(const std::string& sLink);

    const std::string& PageFile() const { return page_file_; }

private:
    void FetchPage(const std::string& sLink);

    MainState& state_;
    transfer::Download& download_;
    std::string page_file_;
};

} // namespace tarnwick::resolve
