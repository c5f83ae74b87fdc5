// Where the run's state shows as text: the caption of the start button and
// that of the tray menu's start/stop entry.
#pragma once

#include <string>

namespace tarnwick::platform {

class RunCaptions {
public:
    virtual ~RunCaptions() = default;
    virtual void ShowStartButtonCaption(const std::string& caption) = 0;
    virtual void ShowTrayEntryCaption(const std::string& caption) = 0;
};

} // namespace tarnwick::platform
