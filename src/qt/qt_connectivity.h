// The connection test on Qt's list of network interfaces.
#pragma once

#include "platform/connectivity.h"

namespace tarnwick::qt {

class QtConnectivity : public platform::Connectivity {
public:
    bool HasConnection() override;
};

} // namespace tarnwick::qt
