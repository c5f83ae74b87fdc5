// Making a reference written somewhere (a page, an answer) absolute against
// the address it was written at.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::platform {

class UrlResolver {
public:
    virtual ~UrlResolver() = default;
    // `reference` resolved against the absolute address `base`; none when
    // either cannot be read as an address.
    virtual std::optional<std::string> Resolve(std::string_view base,
                                               std::string_view reference) const = 0;
};

} // namespace tarnwick::platform
