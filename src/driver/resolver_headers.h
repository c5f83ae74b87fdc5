// The requests for a video that a resolver found go with the headers it
// said the video must be asked with (its User-Agent, Referer, Cookie and the
// rest), every request of the item from then on: probe, download, resume
// and pieces.
#pragma once

#include "resolve/ytdlp_answer.h"
#include "transfer/fetch.h"

namespace tarnwick::driver {

// Puts `headers` into the item's requests, without those that say how the
// bytes travel (the fetch and the client set them) and without any that
// would break a request line.
void UseResolverHeaders(transfer::RequestContext& requests, const resolve::HeaderMap& headers);

} // namespace tarnwick::driver
