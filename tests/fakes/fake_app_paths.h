// Fixed folders for the program, the home, the cache and the data.
#pragma once

#include "platform/app_paths.h"

#include <string>

namespace tarnwick::fakes {

class FakeAppPaths : public platform::AppPaths {
public:
    std::string ProgramFolder() const override { return program_folder; }
    std::string HomeFolder() const override { return home_folder; }
    std::string CacheFolder() const override { return cache_folder; }
    std::string DataFolder() const override { return data_folder; }

    std::string program_folder = "/opt/tarnwick";
    std::string home_folder = "/home/ann";
    std::string cache_folder = "/home/ann/.cache/Tarnwick";
    std::string data_folder = "/home/ann/.local/share/Tarnwick";
};

} // namespace tarnwick::fakes
