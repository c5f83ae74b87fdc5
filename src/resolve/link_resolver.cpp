#include "resolve/link_resolver.h"

#include "resolve/page_file.h"
#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"

#include <filesystem>

namespace tarnwick::resolve {

std::string LinkResolver::GetDownloadLink(const std::string& sLink) {
    if (GetSiteIndex(sLink) == kSiteNone) return kNoSupportedSite;
    state_.TransferResult.clear();
    FetchPage(sLink);
    if (state_.TransferResult != "1") return kPageNotFetched;

    std::string page;
    try {
        page = ReadPageFile(page_file_);
    } catch (const PageFileError&) {
        // An empty or missing page has no link in it.
    }
    const std::string link = ExtractLink(GetSiteIndex(sLink), sLink, page);
    return link.empty() ? kNoLinkFound : link;
}

void LinkResolver::FetchPage(const std::string& sLink) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(page_file_).parent_path(), ignored);
    download_.SetUrl(sLink);
    download_.SetLocalFile(page_file_);
    download_.SetCommitErrorAnswers(true);
    download_.SetBodyLimit(kPageSizeLimit);
    state_.Preparing = true;
    try {
        download_.StartDownload();
    } catch (...) {
        state_.Preparing = false;
        download_.SetBodyLimit(0);
        throw;
    }
    state_.Preparing = false;
    download_.SetBodyLimit(0);
}

} // namespace tarnwick::resolve
