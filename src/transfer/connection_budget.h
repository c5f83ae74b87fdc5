// The connections that the downloads of a run may hold at once: a few to
// each host, so that no server sees a crowd from one user, and a few more in
// all. Each download's first connection is always let through; the extra
// connections of a split file ask for room, and give it back when they end.
#pragma once

#include <map>
#include <string>

namespace tarnwick::transfer {

class ConnectionBudget {
public:
    static constexpr int kPerHost = 4;
    static constexpr int kInAll = 16;

    // Takes room for one more connection to `host`, when there is some.
    bool TryTake(const std::string& host);
    // Takes room for a download's first connection, whether there is some or not.
    void Take(const std::string& host);
    // Gives back what TryTake or Take took.
    void Give(const std::string& host);

    int InAll() const { return in_all_; }
    int To(const std::string& host) const;

private:
    std::map<std::string, int> per_host_;
    int in_all_ = 0;
};

// The host of an http or https address, with its port when it names one, in
// lower case: the key connections are counted by.
std::string HostKeyOf(const std::string& url);

} // namespace tarnwick::transfer
