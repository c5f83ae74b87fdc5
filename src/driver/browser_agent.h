// The agent the requests for pages of other sites and their videos go with.
// Servers of the wider web often refuse an old or unknown agent, so these go
// as a current browser's; the twelve sites keep the client's own agent.
#pragma once

namespace tarnwick::driver {

inline constexpr const char* kBrowserUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0";

} // namespace tarnwick::driver
