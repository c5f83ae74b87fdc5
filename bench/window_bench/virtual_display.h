// An X server of the benchmark's own (Xvfb), on a display number the server
// picks free itself, with no window manager: the benchmark is the only other
// client, and nothing on it belongs to the user.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarnwick::bench {

class VirtualDisplay {
public:
    // Starts the server and waits until it tells its display number; throws
    // when it cannot start.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", for DISPLAY.
    const std::string& Name() const { return name_; }

private:
    void Stop();

    pid_t server_ = -1;
    std::string name_;
};

} // namespace tarnwick::bench
