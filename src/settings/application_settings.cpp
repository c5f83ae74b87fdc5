#include "settings/application_settings.h"

#include "common/text.h"
#include "platform/app_paths.h"
#include "settings/setting_names.h"

#include <charconv>
#include <filesystem>

namespace tarnwick::settings {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<double> ParseNumber(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    // Only plain decimal numbers: no "inf", "nan" or a second sign.
    if (digits.empty() || !(IsDigit(digits.front()) || digits.front() == '.')) return std::nullopt;
    double number = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, number);
    if (error != std::errc() || stop != end) return std::nullopt;
    return text.front() == '-' ? -number : number;
}

} // namespace

std::optional<bool> ParseTruthText(const std::string& text) {
    const std::string trimmed = text::TrimSpaces(text);
    if (text::EqualsIgnoreCase(trimmed, "true")) return true;
    if (text::EqualsIgnoreCase(trimmed, "false")) return false;
    if (const auto number = ParseNumber(trimmed)) return *number != 0;
    return std::nullopt;
}

std::string DefaultDownloadDir(const std::string& home_folder) {
#ifdef _WIN32
    (void)home_folder;
    return std::string("C:\\") + kDefaultDownloadFolder;
#else
    return platform::JoinPath(home_folder, kDefaultDownloadFolder);
#endif
}

namespace {

// A switch that is on when missing, and off only when it reads as false.
bool ReadSwitchOnUnlessFalse(platform::SettingsStore& store, const char* name) {
    const std::optional<std::string> stored = store.Read(name);
    return !stored || ParseTruthText(*stored).value_or(true);
}

resolve::QualityPreferences LoadChoice(platform::SettingsStore& store) {
    resolve::QualityPreferences choice;
    choice.max_height = resolve::HeightOfWord(store.Read(kQualitySetting).value_or(""));
    choice.container = resolve::ContainerOfWord(store.Read(kFormatSetting).value_or(""));
    choice.sound_only = resolve::SoundOfWord(store.Read(kSoundOnlySetting).value_or(""));
    choice.subtitle_languages =
        resolve::LanguagesOfText(store.Read(kSubtitlesSetting).value_or(""));
    // Only a true word turns these on.
    choice.automatic_subtitles =
        ParseTruthText(store.Read(kAutomaticSubtitlesSetting).value_or("")).value_or(false);
    choice.subtitles_inside =
        ParseTruthText(store.Read(kSubtitlesInsideSetting).value_or("")).value_or(false);
    return choice;
}

void SaveChoice(platform::SettingsStore& store, const resolve::QualityPreferences& choice) {
    store.Write(kQualitySetting, resolve::HeightWord(choice.max_height));
    store.Write(kFormatSetting, resolve::ContainerWord(choice.container));
    store.Write(kSoundOnlySetting, resolve::SoundWord(choice.sound_only));
    store.Write(kSubtitlesSetting, resolve::LanguagesText(choice.subtitle_languages));
    store.Write(kAutomaticSubtitlesSetting, choice.automatic_subtitles ? "True" : "False");
    store.Write(kSubtitlesInsideSetting, choice.subtitles_inside ? "True" : "False");
}

} // namespace

AppSettings LoadSettings(platform::SettingsStore& store, const std::string& default_download_dir) {
    AppSettings settings;
    const std::string monitor = store.Read(kMonitorSetting).value_or(kMonitorDefault);
    settings.monitor_enabled = ParseTruthText(monitor).value_or(false);
    settings.download_dir = store.Read(kDownloadDirSetting).value_or(default_download_dir);
    settings.keep_list = ReadSwitchOnUnlessFalse(store, kKeepListSetting);
    settings.other_sites = ReadSwitchOnUnlessFalse(store, kOtherSitesSetting);
    settings.notify = ReadSwitchOnUnlessFalse(store, kNotifySetting);
    settings.use_ytdlp = ReadSwitchOnUnlessFalse(store, kUseYtDlpSetting);
    settings.connections =
        static_cast<int>(ReadNumberSetting(store.Read(kConnectionsSetting), kConnectionsLimits));
    settings.downloads_at_once = static_cast<int>(
        ReadNumberSetting(store.Read(kDownloadsAtOnceSetting), kDownloadsAtOnceLimits));
    settings.speed_limit_kb = ReadNumberSetting(store.Read(kSpeedLimitSetting), kSpeedLimitLimits);
    settings.cookies_from = CookieBrowserOf(store.Read(kCookiesFromSetting).value_or(""));
    settings.cookie_file = store.Read(kCookieFileSetting).value_or("");
    if (!IsFullPath(settings.cookie_file)) settings.cookie_file.clear();
    settings.choice = LoadChoice(store);
    settings.download_again =
        ParseTruthText(store.Read(kDownloadAgainSetting).value_or("")).value_or(false);
    return settings;
}

bool IsFullPath(const std::string& folder) {
    return !folder.empty() && std::filesystem::path(folder).is_absolute();
}

void SaveSettings(platform::SettingsStore& store, const AppSettings& settings) {
    store.Write(kMonitorSetting, settings.monitor_enabled ? "True" : "False");
    store.Write(kDownloadDirSetting, settings.download_dir);
    store.Write(kKeepListSetting, settings.keep_list ? "True" : "False");
    store.Write(kOtherSitesSetting, settings.other_sites ? "True" : "False");
    store.Write(kNotifySetting, settings.notify ? "True" : "False");
    store.Write(kUseYtDlpSetting, settings.use_ytdlp ? "True" : "False");
    store.Write(kConnectionsSetting, std::to_string(settings.connections));
    store.Write(kDownloadsAtOnceSetting, std::to_string(settings.downloads_at_once));
    store.Write(kSpeedLimitSetting, std::to_string(settings.speed_limit_kb));
    store.Write(kCookiesFromSetting, settings.cookies_from);
    store.Write(kCookieFileSetting, settings.cookie_file);
    SaveChoice(store, settings.choice);
    store.Write(kDownloadAgainSetting, settings.download_again ? "True" : "False");
}

std::string CookieBrowserOf(const std::string& text) {
    const std::string trimmed = text::TrimSpaces(text);
    for (const char* browser : kCookieBrowsers) {
        if (text::EqualsIgnoreCase(trimmed, browser)) return browser;
    }
    return {};
}

} // namespace tarnwick::settings
