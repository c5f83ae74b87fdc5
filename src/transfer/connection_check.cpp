#include "transfer/connection_check.h"

namespace tarnwick::transfer {

bool IsInternetConnected(platform::Connectivity& connectivity) {
    try {
        return connectivity.HasConnection();
    } catch (...) {
        return false;
    }
}

} // namespace tarnwick::transfer
