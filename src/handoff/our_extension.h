// Who may hand items to the program from a browser: our own extension, by
// the id each browser knows it under, through the native host of this name.
#pragma once

namespace tarnwick::handoff {

// The name the browsers know the native host by, in its manifests.
inline constexpr const char* kNativeHostName = "org.tarnwick.browser_host";
// Chromium's id of the extension, fixed by the public key in its manifest.
inline constexpr const char* kChromiumExtensionId = "gebjicgciibbfpggeejalebeoglnbnie";
// Firefox's id of the add-on (browser_specific_settings.gecko.id).
inline constexpr const char* kFirefoxExtensionId = "browser@tarnwick.org";

} // namespace tarnwick::handoff
