// The application's own name and version, as shown in titles and captions.
#pragma once

namespace tarnwick {

inline constexpr const char* kAppTitle = "Tarnwick";

// The build gives the version numbers; these stand for a build without them.
#ifndef TARNWICK_VERSION_MAJOR
#define TARNWICK_VERSION_MAJOR 0
#define TARNWICK_VERSION_MINOR 0
#define TARNWICK_VERSION_REVISION 0
#endif
inline constexpr int kVersionMajor = TARNWICK_VERSION_MAJOR;
inline constexpr int kVersionMinor = TARNWICK_VERSION_MINOR;
inline constexpr int kVersionRevision = TARNWICK_VERSION_REVISION;

} // namespace tarnwick
