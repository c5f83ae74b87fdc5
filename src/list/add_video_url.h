// The one entry point for new page addresses: the address is classified by
// site and listed, waiting or marked as not supported.
#pragma once

#include "list/download_queue.h"

#include <string>

namespace tarnwick::list {

// Lists the address as it is given: an address of a supported site waits for
// its file name to be derived; so does any other http or https address when
// `other_sites` is on, for the general page reader. Any other address is
// listed as not supported.
DownloadQueue::AddResult AddVideoURL(DownloadQueue& queue, const std::string& address,
                                     bool other_sites = false);

// The site an address is listed under, as AddVideoURL decides it.
int SiteFor(const std::string& address, bool other_sites);

} // namespace tarnwick::list
