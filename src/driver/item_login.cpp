#include "driver/item_login.h"

namespace tarnwick::driver {

void UseItemContext(transfer::RequestContext& requests, const handoff::ItemContext& context,
                    const std::vector<handoff::BrowserCookie>& own_cookies) {
    if (!context.user_agent.empty()) requests.user_agent = context.user_agent;
    if (!context.referrer.empty()) requests.headers.push_back("Referer: " + context.referrer);
    requests.cookies.clear();
    for (const auto* cookies : {&own_cookies, &context.cookies}) {
        for (const handoff::BrowserCookie& cookie : *cookies) {
            if (std::optional<std::string> line = handoff::NetscapeLine(cookie))
                requests.cookies.push_back(std::move(*line));
        }
    }
}

YtDlpLogin LoginForYtDlp(const handoff::ItemContext& context, const UserLogins& logins) {
    YtDlpLogin login{context.referrer, context.user_agent, logins.cookies, logins.private_folder,
                     logins.cookies_from_browser};
    login.cookies.insert(login.cookies.end(), context.cookies.begin(), context.cookies.end());
    return login;
}

} // namespace tarnwick::driver
