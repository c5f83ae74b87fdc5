// The settings subsystem wired to fakes: a store, a recording skin, a folder
// chooser and a watcher launched through a recording shell.
#pragma once

#include "common/main_state.h"
#include "fakes/fake_app_paths.h"
#include "fakes/fake_folder_chooser.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/recording_skin.h"
#include "settings/application_settings.h"
#include "settings/download_folder_choice.h"
#include "settings/skin_variables.h"
#include "shell/monitor.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::settings {

inline constexpr const char* kChannel = "channel-7";
inline const std::string kWatcher = "/opt/tarnwick/tarnwick-clip";

class SettingsFixture : public testing::Test {
protected:
    void StoreSetting(const std::string& name, const std::string& value) {
        store.Put(platform::kCurrentUserRoot, kSettingsKey, name, value);
    }
    std::optional<std::string> StoredSetting(const std::string& name) const {
        return store.Get(platform::kCurrentUserRoot, kSettingsKey, name);
    }
    std::vector<fakes::RecordingSkin::Write> Published(const std::string& monitor,
                                                       const std::string& dir) const {
        return {{kSkinMonitorCheck, monitor},
                {kSkinDownloadCheck, "1"},
                {kSkinConvertCheck, "1"},
                {kSkinDownloadDir, dir}};
    }

    MainState state;
    fakes::FakeSettingsStore store;
    fakes::RecordingSkin skin;
    fakes::FakeAppPaths paths;
    fakes::FakeShellLaunch launch;
    fakes::FakeFolderChooser chooser;
    shell::ClipboardWatcher watcher{state, launch, paths, [] { return kChannel; }};
    ApplicationSettings settings{state, store, skin, paths, watcher};
    DownloadFolderChoice folder_choice{state, chooser, skin};
};

} // namespace tarnwick::settings
