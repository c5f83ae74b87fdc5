// The application's own name, as shown in titles and captions.
#pragma once

namespace tarnwick {

inline constexpr const char* kAppTitle = "Tarnwick";

} // namespace tarnwick
