// The application's own name and version, as shown in titles and captions.
#pragma once

namespace tarnwick {

inline constexpr const char* kAppTitle = "Tarnwick";

// The build gives the version, from the project's; these stand for a build without it.
#ifndef TARNWICK_VERSION_MAJOR
#define TARNWICK_VERSION_MAJOR 0
#define TARNWICK_VERSION_MINOR 0
#define TARNWICK_VERSION_REVISION 0
#define TARNWICK_VERSION "0.0.0"
#endif
inline constexpr int kVersionMajor = TARNWICK_VERSION_MAJOR;
inline constexpr int kVersionMinor = TARNWICK_VERSION_MINOR;
inline constexpr int kVersionRevision = TARNWICK_VERSION_REVISION;
// The same version as the package gives it: "major.minor.revision".
inline constexpr const char* kVersionText = TARNWICK_VERSION;
// The desktop entry's id, which is also the name docks know the window by.
inline constexpr const char* kDesktopId = "example.orvelle.Tarnwick";

} // namespace tarnwick
