// The real program's services for a test: its folders in a temporary folder
// of the test's own, its settings in a file there, and fakes for the boxes,
// the folder chooser, the network's presence and the desktop's launcher.
#pragma once

#include "app/tarnwick_app.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_folder_chooser.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/scripted_message_box.h"
#include "support/temp_folder.h"

#include <QString>

#include <filesystem>

namespace tarnwick::app {

struct Connected : platform::Connectivity {
    bool HasConnection() override { return true; }
};

template <class Launch = fakes::FakeShellLaunch>
struct AppTestSetup {
    AppTestSetup() {
        paths.program_folder = TARNWICK_PROGRAM_DIR;
        paths.home_folder = folder.File("home");
        std::filesystem::create_directory(paths.home_folder);
        paths.cache_folder = folder.File("cache");
        paths.data_folder = folder.File("data");
        overrides.message_box = &box;
        overrides.paths = &paths;
        overrides.connectivity = &connected;
        overrides.launch = &launch;
        overrides.chooser = &chooser;
        overrides.user_settings = qt::SettingsLocation{SettingsFile()};
    }
    QString SettingsFile() const { return QString::fromStdString(folder.File("Tarnwick.conf")); }

    test_support::TempFolder folder;
    fakes::ScriptedMessageBox box;
    fakes::FakeAppPaths paths;
    Connected connected;
    Launch launch;
    fakes::FakeFolderChooser chooser;
    AppOverrides overrides;
};

} // namespace tarnwick::app
