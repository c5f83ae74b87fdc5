#include "transfer/connection_budget.h"

#include "common/text.h"
#include "transfer/url_helpers.h"

namespace tarnwick::transfer {

bool ConnectionBudget::TryTake(const std::string& host) {
    if (in_all_ >= kInAll || To(host) >= kPerHost) return false;
    Take(host);
    return true;
}

void ConnectionBudget::Take(const std::string& host) {
    const auto make_room = [this](const std::string& of) {
        for (Yielder* yielder : yielders_) {
            if (yielder->YieldOne(of)) return;
        }
    };
    if (To(host) >= kPerHost) make_room(host);
    if (in_all_ >= kInAll) make_room({});
    ++per_host_[host];
    ++in_all_;
}

void ConnectionBudget::Give(const std::string& host) {
    const auto found = per_host_.find(host);
    if (found == per_host_.end()) return;
    --in_all_;
    if (--found->second == 0) per_host_.erase(found);
}

void ConnectionBudget::Leave(Yielder& yielder) { std::erase(yielders_, &yielder); }

int ConnectionBudget::To(const std::string& host) const {
    const auto found = per_host_.find(host);
    return found == per_host_.end() ? 0 : found->second;
}

std::string HostKeyOf(const std::string& url) {
    std::string host = url;
    std::string path;
    SplitUrl(host, path);
    const size_t query = host.find_first_of("?#");
    if (query != std::string::npos) host.resize(query);
    const size_t user = host.rfind('@');
    if (user != std::string::npos) host.erase(0, user + 1);
    // The scheme's own port names the same server as none.
    const std::string_view default_port = IsSecureUrl(url) ? ":443" : ":80";
    if (host.ends_with(default_port)) host.resize(host.size() - default_port.size());
    return text::ToLowerAscii(host);
}

} // namespace tarnwick::transfer
