// One hand-off as a browser makes it with sendNativeMessage: the native host
// started anew with the extension's origin, one framed request written to it,
// its one framed reply read back, and the host ended by closing its input.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::bench {

struct HostAnswer {
    bool ok = false;       // a whole reply came
    std::string json;      // the reply, or why there is none
    double elapsed_ms = 0; // from starting the host with the request to its reply
};

// Runs `host` with `environment` ("NAME=value" each) and hands it `request_json`.
HostAnswer ExchangeWithHost(const std::string& host, const std::vector<std::string>& environment,
                            const std::string& request_json);

// The host as the extension keeps it over one port (connectNative): started
// once, then asked request after request, each answered in turn.
class KeptHost {
public:
    KeptHost(const std::string& host, const std::vector<std::string>& environment);
    ~KeptHost();
    KeptHost(const KeptHost&) = delete;
    KeptHost& operator=(const KeptHost&) = delete;

    // One request and its reply, timed from writing the one to reading the other.
    HostAnswer Exchange(const std::string& request_json);

private:
    int pid_ = 0;
    int to_host_ = -1;
    int from_host_ = -1;
};

// Whether a reply says that every item was added to the list.
bool AllAdded(const std::string& reply_json);

} // namespace tarnwick::bench
