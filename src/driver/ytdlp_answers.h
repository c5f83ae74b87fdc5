// yt-dlp's answers for the entries of a playlist ahead of their turns. Most
// of a yt-dlp's time goes into its start-up, so the one asked about an
// entry is asked about the next entries too, in the same process; their
// answers wait here for their items, ten minutes at most (the links in them
// expire). An item whose answer is on its way waits for it rather than
// starting a yt-dlp of its own, and asks alone where it does not come.
#pragma once

#include "platform/clock.h"
#include "resolve/ytdlp_answer.h"

#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::driver {

class YtDlpAsk;

inline constexpr platform::Duration kYtDlpAnswerLasts{10 * 60 * 1000};
// The most entries a yt-dlp of the run's own is asked about, and an item's
// own yt-dlp besides its page: few, so that its answer comes soon.
inline constexpr size_t kMostCompanions = 15;
inline constexpr size_t kItemsCompanions = 3;
inline constexpr size_t kMostAsksAhead = 2;

class YtDlpAnswers {
public:
    // The answer that came; none when it did not.
    using Delivery = std::function<void(std::optional<resolve::YtDlpAnswer> answer)>;

    // A wait for an answer on its way: destroying it stops waiting.
    class Waiting {
    public:
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

    private:
        friend class YtDlpAnswers;
        explicit Waiting(YtDlpAnswers& answers) : answers_(answers) {}
        YtDlpAnswers& answers_;
    };

    explicit YtDlpAnswers(platform::Clock& clock);
    ~YtDlpAnswers();
    YtDlpAnswers(const YtDlpAnswers&) = delete;
    YtDlpAnswers& operator=(const YtDlpAnswers&) = delete;

    // The answer kept for `address`, taken out; none when none is, or it is
    // older than kYtDlpAnswerLasts.
    std::optional<resolve::YtDlpAnswer> Take(const std::string& address);
    // Whether an answer is kept for `address`, or on its way.
    bool Has(const std::string& address) const;
    bool IsComing(const std::string& address) const { return coming_.contains(address); }
    // Waits for the answer on its way for `address`; `on_answer` is called
    // once, from the event loop.
    std::unique_ptr<Waiting> Await(const std::string& address, Delivery on_answer);

    // A yt-dlp is asked about `address`.
    void Coming(const std::string& address) { coming_.insert(address); }
    // A yt-dlp of no item's, asked about the entries after those whose
    // answers are kept, so that theirs come before their turn; two at a
    // time at most. Destroying the answers kills them.
    bool MayAskAhead() const { return ahead_.size() < kMostAsksAhead; }
    int AsksAhead() const { return static_cast<int>(ahead_.size()); }
    void AskAhead(std::unique_ptr<YtDlpAsk> ask, const std::string& program,
                  const std::string& address);
    void StopAskingAhead();
    // What it said of `address`: kept, or handed to those who wait for it.
    void Came(const std::string& address, std::optional<resolve::YtDlpAnswer> answer);

private:
    struct Kept {
        resolve::YtDlpAnswer answer;
        platform::TimePoint at;
    };
    struct Waiter {
        std::string address;
        Delivery on_answer;
        Waiting* waiting;
        // Set once the answer came, to be handed on from the event loop.
        bool came = false;
        std::optional<resolve::YtDlpAnswer> answer;
    };
    bool IsFresh(const Kept& kept) const { return clock_.Now() - kept.at < kYtDlpAnswerLasts; }
    void HandOn();
    void Forget(Waiting* waiting);

    platform::Clock& clock_;
    std::unique_ptr<platform::Timer> hand_on_;
    std::map<std::string, Kept> kept_;
    std::set<std::string> coming_;
    std::list<Waiter> waiters_;
    // The yt-dlp asked ahead, by the address each was asked about first.
    std::map<std::string, std::unique_ptr<YtDlpAsk>> ahead_;
};

} // namespace tarnwick::driver
