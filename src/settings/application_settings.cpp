#include "settings/application_settings.h"

#include "common/skip_on_failure.h"
#include "common/text.h"
#include "settings/register.h"
#include "settings/skin_variables.h"

#include <charconv>

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

std::string ApplicationSettings::DefaultDownloadDir() const {
#ifdef _WIN32
    return std::string("C:\\") + kDefaultDownloadFolder;
#else
    return platform::JoinPath(paths_.HomeFolder(), kDefaultDownloadFolder);
#endif
}

void ApplicationSettings::LoadSettings() {
    SkipOnFailure([&] {
        const std::string stored = CRegister(store_).REGGetSetting(
            platform::kCurrentUserRoot, kSettingsKey, kMonitorSetting, kMonitorDefault);
        if (const auto on = ParseTruthText(stored)) state_.MonitorEnabled = *on;
    });
    SkipOnFailure([&] {
        if (!state_.MonitorEnabled) return;
        if (monitor_switch_) {
            monitor_switch_(true);
        } else {
            watcher_.Monitor(true);
        }
    });
    SkipOnFailure([&] {
        state_.DownloadDir = CRegister(store_).REGGetSetting(
            platform::kCurrentUserRoot, kSettingsKey, kDownloadDirSetting, DefaultDownloadDir());
    });
    PublishSettings();
}

void ApplicationSettings::SaveSettings() {
    SkipOnFailure([&] {
        CRegister(store_).REGSaveSetting(platform::kCurrentUserRoot, kSettingsKey, kMonitorSetting,
                                         state_.MonitorEnabled ? "True" : "False");
    });
    SkipOnFailure([&] {
        CRegister(store_).REGSaveSetting(platform::kCurrentUserRoot, kSettingsKey,
                                         kDownloadDirSetting, state_.DownloadDir);
    });
}

void ApplicationSettings::PublishSettings() {
    SkipOnFailure(
        [&] { SetSkinVariable(skin_, kSkinMonitorCheck, state_.MonitorEnabled ? "1" : "0"); });
    SkipOnFailure([&] { SetSkinVariable(skin_, kSkinDownloadCheck, "1"); });
    SkipOnFailure([&] { SetSkinVariable(skin_, kSkinConvertCheck, "1"); });
    SkipOnFailure([&] { SetSkinVariable(skin_, kSkinDownloadDir, state_.DownloadDir); });
}

} // namespace tarnwick::settings
