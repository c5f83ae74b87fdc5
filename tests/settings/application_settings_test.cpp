#include "settings/application_settings.h"

#include "fakes/fake_settings_store.h"
#include "settings/setting_names.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>

namespace tarnwick::settings {
namespace {

const std::string kDefaultDir = "/home/ann/Downloaded Videos";

TEST(LoadSettings, FirstStartHasTheMonitorOnAndTheDefaultFolder) {
    fakes::FakeSettingsStore store;
    const AppSettings loaded = LoadSettings(store, kDefaultDir);
    EXPECT_TRUE(loaded.monitor_enabled);
    EXPECT_EQ(loaded.download_dir, kDefaultDir);
    EXPECT_TRUE(loaded.keep_list);
    EXPECT_TRUE(loaded.other_sites);
    EXPECT_TRUE(loaded.notify);
    EXPECT_TRUE(loaded.use_ytdlp);
    EXPECT_TRUE(store.writes.empty()) << "loading writes nothing back";
}

TEST(DefaultDownloadDir, SitsInTheHomeFolderEvenAtTheRoot) {
    EXPECT_EQ(DefaultDownloadDir("/home/ann"), kDefaultDir);
    EXPECT_EQ(DefaultDownloadDir("/"), "/Downloaded Videos");
}

struct StoredMonitor {
    const char* name;
    const char* text;
    bool on;
};

void PrintTo(const StoredMonitor& c, std::ostream* out) { *out << c.name; }

class StoredMonitorTest : public testing::TestWithParam<StoredMonitor> {};

TEST_P(StoredMonitorTest, ReadsTruthWordsAndNumbers) {
    fakes::FakeSettingsStore store;
    store.values[kMonitorSetting] = GetParam().text;
    EXPECT_EQ(LoadSettings(store, kDefaultDir).monitor_enabled, GetParam().on);
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

TEST(SaveSettings, WritesTheMonitorTheFolderAndTheKeepSwitchAndTheyComeBack) {
    fakes::FakeSettingsStore store;
    SaveSettings(store, {false, "/data/clips", false, false, false, false});
    EXPECT_EQ(store.writes,
              (std::vector<std::pair<std::string, std::string>>{{"URL Mon", "False"},
                                                                {"Download Dir", "/data/clips"},
                                                                {"Keep List", "False"},
                                                                {"Other Sites", "False"},
                                                                {"Notify", "False"},
                                                                {"Use yt-dlp", "False"}}));
    const AppSettings reloaded = LoadSettings(store, kDefaultDir);
    EXPECT_FALSE(reloaded.monitor_enabled);
    EXPECT_EQ(reloaded.download_dir, "/data/clips");
    EXPECT_FALSE(reloaded.keep_list);
    EXPECT_FALSE(reloaded.other_sites);
    EXPECT_FALSE(reloaded.notify);
    EXPECT_FALSE(reloaded.use_ytdlp);
    store.values[kKeepListSetting] = "maybe";
    EXPECT_TRUE(LoadSettings(store, kDefaultDir).keep_list) << "only a false word lets go";
    store.values[kUseYtDlpSetting] = "0";
    EXPECT_FALSE(LoadSettings(store, kDefaultDir).use_ytdlp);
    SaveSettings(store, {true, "/data/clips"});
    EXPECT_EQ(store.values["URL Mon"], "True");
    EXPECT_EQ(store.values["Use yt-dlp"], "True");
}

TEST(SaveSettings, AStoreThatRefusesWritesKeepsWhatItHeld) {
    fakes::FakeSettingsStore store;
    store.values[kDownloadDirSetting] = "/old";
    store.refuse_writes = true;
    SaveSettings(store, {true, "/new"});
    EXPECT_EQ(LoadSettings(store, kDefaultDir).download_dir, "/old");
}

} // namespace
} // namespace tarnwick::settings
