#include "settings/application_settings.h"

#include "fakes/fake_settings_store.h"
#include "settings/setting_names.h"

#include <gtest/gtest.h>
#include <ostream>

#include <cstdint>
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
    EXPECT_EQ(loaded.connections, 4);
    EXPECT_EQ(loaded.downloads_at_once, 1);
    EXPECT_EQ(loaded.speed_limit_kb, 0);
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
    AppSettings saved{false, "/data/clips", false, false, false, false};
    saved.cookies_from = "brave";
    saved.cookie_file = "/home/u/cookies.txt";
    saved.download_again = true;
    saved.choice = {
        720,  resolve::PreferredContainer::kMkv, resolve::SoundOnly::kMp3, {"en", "de"}, true,
        false};
    SaveSettings(store, saved);
    EXPECT_EQ(store.writes, (std::vector<std::pair<std::string, std::string>>{
                                {"URL Mon", "False"},
                                {"Download Dir", "/data/clips"},
                                {"Keep List", "False"},
                                {"Other Sites", "False"},
                                {"Notify", "False"},
                                {"Use yt-dlp", "False"},
                                {"Connections", "4"},
                                {"Parallel Downloads", "1"},
                                {"Speed limit", "0"},
                                {"Cookies From", "brave"},
                                {"Cookie File", "/home/u/cookies.txt"},
                                {"Quality", "720"},
                                {"Format", "mkv"},
                                {"Sound Only", "mp3"},
                                {"Subtitles", "en, de"},
                                {"Automatic Subtitles", "True"},
                                {"Subtitles Inside", "False"},
                                {"Download Again", "True"}}));
    const AppSettings reloaded = LoadSettings(store, kDefaultDir);
    EXPECT_TRUE(reloaded.download_again);
    EXPECT_FALSE(reloaded.monitor_enabled);
    EXPECT_EQ(reloaded.download_dir, "/data/clips");
    EXPECT_FALSE(reloaded.keep_list);
    EXPECT_FALSE(reloaded.other_sites);
    EXPECT_FALSE(reloaded.notify);
    EXPECT_FALSE(reloaded.use_ytdlp);
    EXPECT_EQ(reloaded.cookies_from, "brave");
    EXPECT_EQ(reloaded.cookie_file, "/home/u/cookies.txt");
    EXPECT_EQ(reloaded.choice, saved.choice);
    store.values[kQualitySetting] = "700";
    store.values[kFormatSetting] = "avi";
    store.values[kSoundOnlySetting] = "flac";
    store.values[kSubtitlesSetting] = "EN, english, de-AT, en";
    store.values[kAutomaticSubtitlesSetting] = "maybe";
    const resolve::QualityPreferences odd = LoadSettings(store, kDefaultDir).choice;
    EXPECT_EQ(odd.max_height, 0) << "no cap but those offered";
    EXPECT_EQ(odd.container, resolve::PreferredContainer::kMp4);
    EXPECT_EQ(odd.sound_only, resolve::SoundOnly::kOff);
    EXPECT_EQ(odd.subtitle_languages, (std::vector<std::string>{"en", "de-at"}))
        << "codes only, once each";
    EXPECT_FALSE(odd.automatic_subtitles);
    store.values[kCookiesFromSetting] = " Firefox ";
    store.values[kCookieFileSetting] = "cookies.txt";
    EXPECT_EQ(LoadSettings(store, kDefaultDir).cookies_from, "firefox");
    EXPECT_EQ(LoadSettings(store, kDefaultDir).cookie_file, "") << "only a full path is used";
    store.values[kCookiesFromSetting] = "netscape";
    EXPECT_EQ(LoadSettings(store, kDefaultDir).cookies_from, "") << "a browser yt-dlp cannot read";
    store.values[kKeepListSetting] = "maybe";
    EXPECT_TRUE(LoadSettings(store, kDefaultDir).keep_list) << "only a false word lets go";
    store.values[kUseYtDlpSetting] = "0";
    EXPECT_FALSE(LoadSettings(store, kDefaultDir).use_ytdlp);
    SaveSettings(store, {true, "/data/clips"});
    EXPECT_EQ(store.values["URL Mon"], "True");
    EXPECT_EQ(store.values["Use yt-dlp"], "True");
}

TEST(SaveSettings, TheTransferNumbersComeBackAsSaved) {
    fakes::FakeSettingsStore store;
    AppSettings saved{true, "/data/clips"};
    saved.connections = 8;
    saved.downloads_at_once = 3;
    saved.speed_limit_kb = 10'000'000;
    SaveSettings(store, saved);
    EXPECT_EQ(store.values[kSpeedLimitSetting], "10000000");
    const AppSettings reloaded = LoadSettings(store, kDefaultDir);
    EXPECT_EQ(reloaded.connections, 8);
    EXPECT_EQ(reloaded.downloads_at_once, 3);
    EXPECT_EQ(reloaded.speed_limit_kb, 10'000'000);
}

struct StoredNumber {
    const char* name;
    const char* text;
    int64_t connections;
    int64_t downloads_at_once;
    int64_t speed_limit;
};

void PrintTo(const StoredNumber& c, std::ostream* out) { *out << c.name; }

class StoredNumberTest : public testing::TestWithParam<StoredNumber> {};

// A number beyond the limits is brought to the nearest one; what is no whole
// number reads as the default.
TEST_P(StoredNumberTest, IsClampedOrReadsAsTheDefault) {
    fakes::FakeSettingsStore store;
    store.values[kConnectionsSetting] = GetParam().text;
    store.values[kDownloadsAtOnceSetting] = GetParam().text;
    store.values[kSpeedLimitSetting] = GetParam().text;
    const AppSettings loaded = LoadSettings(store, kDefaultDir);
    EXPECT_EQ(loaded.connections, GetParam().connections);
    EXPECT_EQ(loaded.downloads_at_once, GetParam().downloads_at_once);
    EXPECT_EQ(loaded.speed_limit_kb, GetParam().speed_limit);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredNumberTest,
    testing::Values(StoredNumber{"Within", "3", 3, 3, 3}, StoredNumber{"Blanks", " 2 ", 2, 2, 2},
                    StoredNumber{"Zero", "0", 1, 1, 0}, StoredNumber{"Negative", "-5", 1, 1, 0},
                    StoredNumber{"Large", "12000000", 16, 4, 10'000'000},
                    StoredNumber{"BeyondAnyNumber", "99999999999999999999999", 16, 4, 10'000'000},
                    StoredNumber{"Empty", "", 4, 1, 0}, StoredNumber{"Word", "many", 4, 1, 0},
                    StoredNumber{"Fraction", "2.5", 4, 1, 0}, StoredNumber{"Tail", "6 KB", 4, 1, 0},
                    StoredNumber{"Hexadecimal", "0x10", 4, 1, 0}),
    [](const testing::TestParamInfo<StoredNumber>& info) { return info.param.name; });

TEST(SaveSettings, AStoreThatRefusesWritesKeepsWhatItHeld) {
    fakes::FakeSettingsStore store;
    store.values[kDownloadDirSetting] = "/old";
    store.refuse_writes = true;
    SaveSettings(store, {true, "/new"});
    EXPECT_EQ(LoadSettings(store, kDefaultDir).download_dir, "/old");
}

} // namespace
} // namespace tarnwick::settings
