// The connection test on Qt's list of network interfaces.
#pragma once

#include "platform/connectivity.h"

namespace tarnwick::platform::qt {

class QtConnectivity : public Connectivity {
public:
    bool HasConnection() override;
};

} // namespace tarnwick::platform::qt
