#include "driver/ytdlp_answers.h"

#include "driver/ytdlp_ask.h"

#include <algorithm>
#include <utility>

namespace tarnwick::driver {
namespace {

// Answers kept at most: a playlist's entries are asked about a few at a time.
constexpr size_t kMostKept = 256;

} // namespace

YtDlpAnswers::Waiting::~Waiting() { answers_.Forget(this); }

YtDlpAnswers::YtDlpAnswers(platform::Clock& clock)
    : clock_(clock), hand_on_(clock.NewTimer([this] { HandOn(); })) {}

YtDlpAnswers::~YtDlpAnswers() = default;

void YtDlpAnswers::AskAhead(std::unique_ptr<YtDlpAsk> ask, const std::string& program,
                            const std::string& address) {
    YtDlpAsk& started = *ask;
    ahead_[address] = std::move(ask);
    Coming(address);
    started.Start(program, address, [this, address](Result<resolve::YtDlpAnswer> answer) {
        // Its failure is the entry's own to find at its turn.
        Came(address, answer ? std::optional(std::move(answer.value())) : std::nullopt);
        ahead_.erase(address);
    });
}

void YtDlpAnswers::StopAskingAhead() {
    for (auto& [address, ask] : std::exchange(ahead_, {})) {
        ask.reset();
        Came(address, std::nullopt);
    }
}

std::optional<resolve::YtDlpAnswer> YtDlpAnswers::Take(const std::string& address) {
    const auto found = kept_.find(address);
    if (found == kept_.end()) return std::nullopt;
    Kept kept = std::move(found->second);
    kept_.erase(found);
    if (!IsFresh(kept)) return std::nullopt;
    return std::move(kept.answer);
}

bool YtDlpAnswers::Has(const std::string& address) const {
    const auto found = kept_.find(address);
    const bool fresh = found != kept_.end() && IsFresh(found->second);
    return fresh || IsComing(address);
}

std::unique_ptr<YtDlpAnswers::Waiting> YtDlpAnswers::Await(const std::string& address,
                                                           Delivery on_answer) {
    auto waiting = std::unique_ptr<Waiting>(new Waiting(*this));
    waiters_.push_back(Waiter{address, std::move(on_answer), waiting.get()});
    // Nothing is on its way: the waiter is told so from the event loop.
    if (!IsComing(address)) {
        waiters_.back().came = true;
        hand_on_->Start(platform::Duration(0));
    }
    return waiting;
}

void YtDlpAnswers::Came(const std::string& address, std::optional<resolve::YtDlpAnswer> answer) {
    coming_.erase(address);
    bool awaited = false;
    for (Waiter& waiter : waiters_) {
        if (waiter.address != address || waiter.came) continue;
        waiter.came = true;
        // The first who waits takes the answer; any other asks for itself.
        if (!awaited) waiter.answer = answer;
        awaited = true;
    }
    if (awaited) return hand_on_->Start(platform::Duration(0));
    if (!answer) return;
    if (kept_.size() >= kMostKept) {
        const auto oldest = std::min_element(
            kept_.begin(), kept_.end(),
            [](const auto& a, const auto& b) { return a.second.at < b.second.at; });
        kept_.erase(oldest);
    }
    kept_[address] = Kept{std::move(*answer), clock_.Now()};
}

void YtDlpAnswers::HandOn() {
    const auto came = std::find_if(waiters_.begin(), waiters_.end(),
                                   [](const Waiter& waiter) { return waiter.came; });
    if (came == waiters_.end()) return;
    Waiter waiter = std::move(*came);
    waiters_.erase(came);
    // One at a time: each may start or end others' waits.
    if (std::any_of(waiters_.begin(), waiters_.end(), [](const Waiter& w) { return w.came; }))
        hand_on_->Start(platform::Duration(0));
    waiter.on_answer(std::move(waiter.answer));
}

void YtDlpAnswers::Forget(Waiting* waiting) {
    std::erase_if(waiters_, [waiting](const Waiter& waiter) { return waiter.waiting == waiting; });
}

} // namespace tarnwick::driver
