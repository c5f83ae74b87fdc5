// The connections that the requests of a run may hold at once: a few to each
// host (4, or as many as one download may open where that is more), so that
// no server sees a crowd from one user, and 32 in all. A host that answers
// "too many" (429 or 503) while others of ours are open to it gets no more
// than it took until the next run.
// Every request asks for a slot before it goes out and gives it back when
// it ends. Pages, playlists, keys and probes get theirs at once, beyond the
// caps if need be: they are small, and must not wait behind a download's
// parts. A download's first connection waits first in line, and an extra
// connection of a file in parts gives way to it; further connections wait
// until room is free. Room that frees is handed on from the event loop.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class ConnectionBudget {
public:
    static constexpr int kLeastPerHost = 4;
    static constexpr int kInAll = 32;

    enum class Claim : uint8_t {
        kPage,  // at once, beyond the caps if need be
        kFirst, // a download's first connection: first in line; an extra one gives way
        kExtra, // a further connection: when room is free
    };

    // The room of one connection, given back when the slot is destroyed or
    // released. An empty slot (no budget) holds nothing.
    class Slot {
    public:
        Slot() = default;
        Slot(Slot&& other) noexcept { *this = std::move(other); }
        Slot& operator=(Slot&& other) noexcept;
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;
        ~Slot() { Release(); }
        void Release();

    private:
        friend class ConnectionBudget;
        Slot(ConnectionBudget* budget, std::string host)
            : budget_(budget), host_(std::move(host)) {}
        ConnectionBudget* budget_ = nullptr;
        std::string host_;
    };
    using Granted = std::function<void(Slot slot)>;

    // What holds extra connections that may give way.
    class Yielder {
    public:
        virtual ~Yielder() = default;
        // Ends one extra connection, to `host` unless it is empty, giving its
        // room back; false when it holds none.
        virtual bool YieldOne(const std::string& host) = 0;
    };

    // A place in line: destroying it leaves the line.
    class Waiting {
    public:
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

    private:
        friend class ConnectionBudget;
        explicit Waiting(ConnectionBudget& budget) : budget_(budget) {}
        ConnectionBudget& budget_;
    };

    explicit ConnectionBudget(platform::Clock& clock);
    ~ConnectionBudget();
    ConnectionBudget(const ConnectionBudget&) = delete;
    ConnectionBudget& operator=(const ConnectionBudget&) = delete;

    void Join(Yielder& yielder) { yielders_.push_back(&yielder); }
    void Leave(Yielder& yielder) { std::erase(yielders_, &yielder); }

    // A slot for a connection to `host` now; an empty one when there is no room
    // (never for a page's claim).
    std::optional<Slot> TryTake(const std::string& host, Claim claim);
    // Gets in line for a slot, which `on_granted` receives from the event
    // loop once room is free. A first connection asks an extra one to give way.
    std::unique_ptr<Waiting> Wait(const std::string& host, Claim claim, Granted on_granted);

    // The connections one download may open, 1 to 16: a host takes as many
    // as that, or kLeastPerHost where that is more.
    void SetPerDownload(int connections);
    // `host` answered "too many" to one of its connections: it keeps the
    // others, but gets no more than them from now on, never fewer than one.
    void Crowded(const std::string& host);
    // A new run: every host gets its full number again.
    void ForgetCrowding() { crowded_.clear(); }
    // The most connections `host` may have now.
    int CapOf(const std::string& host) const;

    int InAll() const { return in_all_; }
    int To(const std::string& host) const;
    size_t Waiters() const { return line_.size(); }

private:
    struct Waiter {
        std::string host;
        Claim claim;
        Granted on_granted;
        Waiting* waiting;
    };
    bool HasRoom(const std::string& host) const;
    Slot Take(const std::string& host);
    void Give(const std::string& host);
    void Leave(Waiting* waiting);
    void MakeRoomFor(const std::string& host);
    void HandOn();

    platform::Clock& clock_;
    std::unique_ptr<platform::Timer> hand_on_;
    std::vector<Yielder*> yielders_;
    std::map<std::string, int> per_host_;
    // The hosts that said "too many", and what each keeps to.
    std::map<std::string, int> crowded_;
    int per_host_cap_ = kLeastPerHost;
    int in_all_ = 0;
    // First connections before extra ones, each in the order they asked.
    std::list<Waiter> line_;
};

// The host of an http or https address, with its port when it names one, in
// lower case: the key connections are counted by.
std::string HostKeyOf(const std::string& url);

} // namespace tarnwick::transfer
