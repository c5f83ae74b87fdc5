// The one entry point for new page addresses: the address is classified by
// site and listed, waiting or marked as not supported.
#pragma once

#include "list/download_queue.h"

#include <string>

namespace tarnwick::list {

// Lists the address as it is given: an address of a supported site waits for
// its file name to be derived; any other is listed as not supported.
DownloadQueue::AddResult AddVideoURL(DownloadQueue& queue, const std::string& address);

} // namespace tarnwick::list
