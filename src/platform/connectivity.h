// Whether the machine has a network connection beyond itself.
#pragma once

namespace tarnwick::platform {

class Connectivity {
public:
    virtual ~Connectivity() = default;
    // True when some interface other than loopback is up and has an address.
    virtual bool HasConnection() = 0;
};

} // namespace tarnwick::platform
