// The program's folders from QCoreApplication, QDir and QStandardPaths.
#pragma once

#include "platform/app_paths.h"

namespace tarnwick::qt {

class QtAppPaths : public platform::AppPaths {
public:
    // Needs the application object for the program's folder and its name.
    std::string ProgramFolder() const override;
    std::string HomeFolder() const override;
    std::string CacheFolder() const override;
    std::string DataFolder() const override;
};

} // namespace tarnwick::qt
