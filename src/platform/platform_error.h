// An error raised by a platform service, with its number and description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarnwick::platform {

class PlatformError : public std::runtime_error {
public:
    PlatformError(int64_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int64_t Number() const { return number_; }

private:
    int64_t number_;
};

} // namespace tarnwick::platform
