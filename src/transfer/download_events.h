// What the Download component tells its host while a transfer runs. Every
// call comes from inside StartDownload, on the caller's thread; a transfer
// ends with exactly one of Complete, Error and Cancelled unless an error
// reaches the caller instead.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::transfer {

class DownloadEvents {
public:
    virtual ~DownloadEvents() = default;
    // The body has been read to its end; the local file is closed and in place.
    virtual void DownloadComplete() {}
    // After every read: the percentage of FileSize when that is above 0,
    // otherwise the number of bytes received so far.
    virtual void DownloadProgress(int64_t lProgress) { (void)lProgress; }
    // "Could not find URL" or "Could not read URL".
    virtual void DownloadError(const std::string& sErrorDescription) { (void)sErrorDescription; }
    // The transfer stopped on request after `lPosition` bytes.
    virtual void DownloadCancelled(int64_t lPosition) { (void)lPosition; }
};

} // namespace tarnwick::transfer
