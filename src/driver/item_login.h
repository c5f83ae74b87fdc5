// What an item's requests carry of the user's logins: the context the
// browser handed the item over with (its referrer, agent and cookies), and
// the cookies of the user's own cookie file; and what yt-dlp is asked with.
#pragma once

#include "driver/ytdlp_ask.h"
#include "handoff/item_context.h"
#include "transfer/fetch.h"

#include <string>
#include <vector>

namespace tarnwick::driver {

// The user's settings for logins, read when an item starts.
struct UserLogins {
    // The cookies of the user's cookie file; none without one.
    std::vector<handoff::BrowserCookie> cookies;
    // The browser yt-dlp reads cookies from; empty for none.
    std::string cookies_from_browser;
    // Where files for the user's eyes alone are made (the runtime folder).
    std::string private_folder;
};

// Puts the context into every request made with `requests`: its agent in
// place of any other, its referrer, and the cookies (the user's own first,
// then the browser's, which replace an own one of the same name and place).
void UseItemContext(transfer::RequestContext& requests, const handoff::ItemContext& context,
                    const std::vector<handoff::BrowserCookie>& own_cookies);

// yt-dlp's login for the item.
YtDlpLogin LoginForYtDlp(const handoff::ItemContext& context, const UserLogins& logins);

} // namespace tarnwick::driver
