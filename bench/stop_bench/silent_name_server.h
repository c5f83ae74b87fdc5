// Host-name lookups that never end, for measuring what waits on them. The
// benchmark runs itself again inside network and mount namespaces of its own
// (through unshare), where loopback is the only network, the resolver asks
// 127.0.0.1, and a socket holds port 53 there without ever answering, so
// every lookup waits out the resolver's own time limits.
#pragma once

#include "support/temp_folder.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// What the run inside the namespace tells by its exit code.
enum NamespaceExit { kMeasuredWithin = 10, kMeasuredBeyond = 11, kSkipped = 12 };

// Runs this program again with `argument` in new namespaces (inside a user
// namespace of its own when not run as root) and waits for it: its exit
// code, or -1 when it did not end normally.
int RunInOwnNamespaces(const char* argument);

// Inside the namespaces: loopback up, the resolver pointed at 127.0.0.1, and
// port 53 held there unanswered while the object lives.
class SilentNameServer {
public:
    SilentNameServer();
    ~SilentNameServer();
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    // Why lookups would not hang here; empty when they will.
    const std::string& Error() const { return error_; }

private:
    bool BringUpLoopback();
    bool PointResolverHere();
    bool HoldPort();

    test_support::TempFolder folder_;
    std::vector<std::string> mounted_;
    int socket_ = -1;
    std::string error_;
};

} // namespace tarnwick::bench
