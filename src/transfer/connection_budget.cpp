#include "transfer/connection_budget.h"

#include "common/text.h"
#include "transfer/url_helpers.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace tarnwick::transfer {

ConnectionBudget::Slot& ConnectionBudget::Slot::operator=(Slot&& other) noexcept {
    if (this != &other) {
        Release();
        budget_ = std::exchange(other.budget_, nullptr);
        host_ = std::move(other.host_);
    }
    return *this;
}

void ConnectionBudget::Slot::Release() {
    if (budget_ == nullptr) return;
    std::exchange(budget_, nullptr)->Give(host_);
}

ConnectionBudget::Waiting::~Waiting() { budget_.Leave(this); }

ConnectionBudget::ConnectionBudget(platform::Clock& clock)
    : clock_(clock), hand_on_(clock.NewTimer([this] { HandOn(); })) {}

ConnectionBudget::~ConnectionBudget() {
    assert(line_.empty() && "nobody waits on a budget that goes");
}

bool ConnectionBudget::HasRoom(const std::string& host) const {
    return in_all_ < kInAll && To(host) < CapOf(host);
}

ConnectionBudget::Slot ConnectionBudget::Take(const std::string& host) {
    ++per_host_[host];
    ++in_all_;
    return Slot(this, host);
}

std::optional<ConnectionBudget::Slot> ConnectionBudget::TryTake(const std::string& host,
                                                                Claim claim) {
    if (claim == Claim::kPage) return Take(host);
    // Those in line who could use the room come first, unless they are extras
    // and this is a first.
    const bool others_first = std::any_of(line_.begin(), line_.end(), [&](const Waiter& in) {
        const bool could_use = in.host == host || To(in.host) < CapOf(in.host);
        return could_use && (claim == Claim::kExtra || in.claim != Claim::kExtra);
    });
    if (others_first || !HasRoom(host)) return std::nullopt;
    return Take(host);
}

std::unique_ptr<ConnectionBudget::Waiting> ConnectionBudget::Wait(const std::string& host,
                                                                  Claim claim, Granted on_granted) {
    auto waiting = std::unique_ptr<Waiting>(new Waiting(*this));
    // Firsts go before every extra one, after the firsts already in line.
    auto place = line_.end();
    if (claim != Claim::kExtra) {
        place = std::find_if(line_.begin(), line_.end(),
                             [](const Waiter& in) { return in.claim == Claim::kExtra; });
    }
    line_.insert(place, Waiter{host, claim, std::move(on_granted), waiting.get()});
    if (claim != Claim::kExtra && !HasRoom(host)) MakeRoomFor(host);
    if (HasRoom(host)) hand_on_->Start(platform::Duration(0));
    return waiting;
}

// An extra connection gives way: to the same host when that host is full,
// else to any when all are.
void ConnectionBudget::MakeRoomFor(const std::string& host) {
    const std::string of = To(host) >= CapOf(host) ? host : std::string();
    for (Yielder* yielder : yielders_) {
        if (yielder->YieldOne(of)) return;
    }
}

void ConnectionBudget::Give(const std::string& host) {
    const auto found = per_host_.find(host);
    if (found == per_host_.end()) return;
    --in_all_;
    if (--found->second == 0) per_host_.erase(found);
    if (!line_.empty()) hand_on_->Start(platform::Duration(0));
}

void ConnectionBudget::Leave(Waiting* waiting) {
    std::erase_if(line_, [waiting](const Waiter& in) { return in.waiting == waiting; });
}

// Hands the free room to those in line, in their order; one whose host is
// full lets those behind it by.
void ConnectionBudget::HandOn() {
    for (auto in = line_.begin(); in != line_.end();) {
        if (in_all_ >= kInAll) return;
        if (To(in->host) >= CapOf(in->host)) {
            ++in;
            continue;
        }
        Waiter granted = std::move(*in);
        line_.erase(in);
        // The callee may ask again or leave the line: start over.
        granted.on_granted(Take(granted.host));
        in = line_.begin();
    }
}

void ConnectionBudget::SetPerDownload(int connections) {
    per_host_cap_ = std::max(kLeastPerHost, connections);
    if (!line_.empty()) hand_on_->Start(platform::Duration(0));
}

void ConnectionBudget::Crowded(const std::string& host) {
    const int others = To(host) - 1;
    if (others < 1) return;
    const auto found = crowded_.find(host);
    crowded_[host] = found == crowded_.end() ? others : std::min(found->second, others);
}

int ConnectionBudget::CapOf(const std::string& host) const {
    const auto found = crowded_.find(host);
    return found == crowded_.end() ? per_host_cap_ : std::min(per_host_cap_, found->second);
}

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
