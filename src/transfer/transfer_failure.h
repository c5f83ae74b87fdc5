// The errors that end a probe or transfer without an event and reach the
// caller of RequestInformation or StartDownload: a Content-Length that is not
// a number, a local file that cannot be opened, written or put in place, and
// a probe or transfer started while another runs on the same component.
#pragma once

#include <stdexcept>

namespace tarnwick::transfer {

class TransferFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tarnwick::transfer
