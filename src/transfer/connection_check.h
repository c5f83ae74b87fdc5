// The Internet connection test asked before a run starts.
#pragma once

#include "platform/connectivity.h"

namespace tarnwick::transfer {

// True when the platform reports a connection; never fails.
bool IsInternetConnected(platform::Connectivity& connectivity);

} // namespace tarnwick::transfer
