// The connections that the downloads of a run may hold at once: a few to
// each host, so that no server sees a crowd from one user, and a few more in
// all. The extra connections of a split file ask for room, and give it back
// when they end; a download's first connection always gets room, made by an
// extra connection that gives way where there is none.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class ConnectionBudget {
public:
    static constexpr int kPerHost = 4;
    static constexpr int kInAll = 16;

    // What holds extra connections that may give way.
    class Yielder {
    public:
        virtual ~Yielder() = default;
        // Ends one extra connection, to `host` unless it is empty, giving its
        // room back; false when it holds none.
        virtual bool YieldOne(const std::string& host) = 0;
    };
    void Join(Yielder& yielder) { yielders_.push_back(&yielder); }
    void Leave(Yielder& yielder);

    // Takes room for one more connection to `host`, when there is some.
    bool TryTake(const std::string& host);
    // Takes room for a download's first connection; where there is none, an
    // extra connection gives way when one can.
    void Take(const std::string& host);
    // Gives back what TryTake or Take took.
    void Give(const std::string& host);

    int InAll() const { return in_all_; }
    int To(const std::string& host) const;

private:
    std::vector<Yielder*> yielders_;
    std::map<std::string, int> per_host_;
    int in_all_ = 0;
};

// The host of an http or https address, with its port when it names one, in
// lower case: the key connections are counted by.
std::string HostKeyOf(const std::string& url);

} // namespace tarnwick::transfer
