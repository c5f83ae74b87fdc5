#include "settings/application_settings.h"

#include "settings_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::settings {
namespace {

using Launch = fakes::FakeShellLaunch::Launch;
using StoreWrite = fakes::FakeSettingsStore::Write;

class ApplicationSettingsTest : public SettingsFixture {};

TEST_F(ApplicationSettingsTest, FirstStartStartsTheMonitorAndPublishesTheDefaults) {
    settings.LoadSettings();
    EXPECT_TRUE(state.MonitorEnabled);
    EXPECT_EQ(launch.launches, (std::vector<Launch>{{kWatcher, {kChannel}}}));
    EXPECT_EQ(state.DownloadDir, "/home/ann/Downloaded Videos");
    EXPECT_EQ(skin.writes, Published("1", "/home/ann/Downloaded Videos"));
    EXPECT_TRUE(store.writes.empty()) << "loading writes nothing back";
}

TEST_F(ApplicationSettingsTest, AGivenMonitorSwitchStartsTheMonitorInsteadOfTheWatcherAlone) {
    std::vector<bool> switched;
    settings.SetMonitorSwitch([&](bool on) { switched.push_back(on); });
    settings.LoadSettings();
    EXPECT_EQ(switched, (std::vector<bool>{true}));
    EXPECT_TRUE(launch.launches.empty());
}

TEST_F(ApplicationSettingsTest, DefaultDirectorySitsInTheHomeFolderEvenAtTheRoot) {
    paths.home_folder = "/";
    settings.LoadSettings();
    EXPECT_EQ(state.DownloadDir, "/Downloaded Videos");
}

struct StoredMonitor {
    const char* name;
    const char* text;
    bool on;
};

class StoredMonitorTest : public ApplicationSettingsTest,
                          public testing::WithParamInterface<StoredMonitor> {};

TEST_P(StoredMonitorTest, SwitchesTheMonitorAndTheSkinsCheckBox) {
    StoreSetting(kMonitorSetting, GetParam().text);
    settings.LoadSettings();
    EXPECT_EQ(state.MonitorEnabled, GetParam().on);
    EXPECT_EQ(launch.launches.size(), GetParam().on ? 1u : 0u);
    ASSERT_EQ(skin.writes.size(), 4u);
    EXPECT_EQ(skin.writes[0].value, GetParam().on ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(
    TruthWordsAndNumbers, StoredMonitorTest,
    testing::Values(
        StoredMonitor{"TrueAsSaved", "True", true}, StoredMonitor{"FalseAsSaved", "False", false},
        StoredMonitor{"TrueInAnyCase", "tRUE", true},
        StoredMonitor{"FalseInAnyCase", "fALSE", false}, StoredMonitor{"Zero", "0", false},
        StoredMonitor{"One", "1", true}, StoredMonitor{"NegativeNumber", "-3", true},
        StoredMonitor{"Fraction", "0.5", true}, StoredMonitor{"ZeroFraction", "0.0", false},
        StoredMonitor{"Exponent", "1e3", true}, StoredMonitor{"OtherWord", "yes", false},
        StoredMonitor{"Empty", "", false}, StoredMonitor{"Infinity", "inf", false},
        StoredMonitor{"NumberWithTail", "1x", false}, StoredMonitor{"TwoSigns", "--1", false}),
    [](const testing::TestParamInfo<StoredMonitor>& info) { return info.param.name; });

TEST_F(ApplicationSettingsTest, StoredDirectoryIsUsedAsStored) {
    StoreSetting(kDownloadDirSetting, "/srv/media/");
    settings.LoadSettings();
    EXPECT_EQ(state.DownloadDir, "/srv/media/");
    EXPECT_EQ(skin.writes.back(), (fakes::RecordingSkin::Write{kSkinDownloadDir, "/srv/media/"}));
}

TEST_F(ApplicationSettingsTest, SavingWritesTheMonitorThenTheDirectory) {
    state.MonitorEnabled = false;
    state.DownloadDir = "/data/clips";
    settings.SaveSettings();
    const std::string key = std::string("HKCU\\") + kSettingsKey;
    EXPECT_EQ(store.writes, (std::vector<StoreWrite>{{key, "URL Mon", "False"},
                                                     {key, "Download Dir", "/data/clips"}}));
    state.MonitorEnabled = true;
    settings.SaveSettings();
    EXPECT_EQ(StoredSetting(kMonitorSetting), "True");
}

TEST_F(ApplicationSettingsTest, SavedSettingsComeBackAfterARestart) {
    state.MonitorEnabled = false;
    state.DownloadDir = "/data/clips";
    settings.SaveSettings();

    MainState restarted;
    shell::ClipboardWatcher restarted_watcher{restarted, launch, paths, [] { return kChannel; }};
    ApplicationSettings reloaded{restarted, store, skin, paths, restarted_watcher};
    reloaded.LoadSettings();
    EXPECT_FALSE(restarted.MonitorEnabled);
    EXPECT_EQ(restarted.DownloadDir, "/data/clips");
    EXPECT_TRUE(launch.launches.empty());
}

TEST_F(ApplicationSettingsTest, MonitorTurnedOffFromTheTrayIsOnAgainAfterARestart) {
    StoreSetting(kMonitorSetting, "True");
    settings.LoadSettings();
    // The tray's monitor item switches and publishes, but does not save.
    watcher.Monitor(false);
    settings.PublishSettings();
    EXPECT_EQ(skin.writes[4], (fakes::RecordingSkin::Write{kSkinMonitorCheck, "0"}));
    EXPECT_EQ(StoredSetting(kMonitorSetting), "True");

    MainState restarted;
    shell::ClipboardWatcher restarted_watcher{restarted, launch, paths, [] { return kChannel; }};
    ApplicationSettings{restarted, store, skin, paths, restarted_watcher}.LoadSettings();
    EXPECT_TRUE(restarted.MonitorEnabled);
    EXPECT_EQ(launch.launches.back(), (Launch{kWatcher, {kChannel}}));
}

TEST_F(ApplicationSettingsTest, AVariableTheSkinRefusesIsSkippedAndTheRestStillArrive) {
    skin.failing = {kSkinDownloadCheck};
    state.MonitorEnabled = true;
    state.DownloadDir = "/d";
    settings.PublishSettings();
    EXPECT_EQ(skin.writes,
              (std::vector<fakes::RecordingSkin::Write>{
                  {kSkinMonitorCheck, "1"}, {kSkinConvertCheck, "1"}, {kSkinDownloadDir, "/d"}}));
}

TEST_F(ApplicationSettingsTest, AStoreThatRefusesWritesKeepsWhatItHeld) {
    StoreSetting(kDownloadDirSetting, "/old");
    store.fail_writes = true;
    state.DownloadDir = "/new";
    settings.SaveSettings();
    EXPECT_EQ(StoredSetting(kDownloadDirSetting), "/old");
    EXPECT_FALSE(StoredSetting(kMonitorSetting).has_value());
}

} // namespace
} // namespace tarnwick::settings
