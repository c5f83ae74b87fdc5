#include "shell/settings_control.h"

#include "common/app_info.h"
#include "driver/download_folder.h"
#include "shell/message_texts.h"
#include "shell/skin_variables.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tarnwick::shell {
namespace {

constexpr const char* kCookieFilePrompt = "Choose a cookies.txt file";

// Why the file at `path` cannot be read; empty when it can.
std::string WhyUnreadable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return std::strerror(errno);
    char first = 0;
    errno = 0;
    const bool read = std::fread(&first, 1, 1, file) == 1 || std::feof(file) != 0;
    const int error = errno != 0 ? errno : EIO;
    std::fclose(file);
    return read ? std::string() : std::strerror(error);
}

using resolve::QualityPreferences;

// How each part of the choice is shown in the skin and read back from it.
struct ChoicePartWords {
    const char* skin_variable;
    std::string (*word)(const QualityPreferences&);
    void (*take)(const std::string&, QualityPreferences&);
};

std::string CheckWord(bool on) { return on ? "1" : "0"; }
bool CheckOf(const std::string& word) { return word == "1"; }

// In the order of SettingsControl::ChoicePart.
constexpr ChoicePartWords kChoiceParts[] = {
    {kSkinQuality, [](const QualityPreferences& c) { return resolve::HeightWord(c.max_height); },
     [](const std::string& w, QualityPreferences& c) { c.max_height = resolve::HeightOfWord(w); }},
    {kSkinFormat, [](const QualityPreferences& c) { return resolve::ContainerWord(c.container); },
     [](const std::string& w, QualityPreferences& c) {
         c.container = resolve::ContainerOfWord(w);
     }},
    {kSkinSoundOnly, [](const QualityPreferences& c) { return resolve::SoundWord(c.sound_only); },
     [](const std::string& w, QualityPreferences& c) { c.sound_only = resolve::SoundOfWord(w); }},
    {kSkinSubtitles,
     [](const QualityPreferences& c) { return resolve::LanguagesText(c.subtitle_languages); },
     [](const std::string& w, QualityPreferences& c) {
         c.subtitle_languages = resolve::LanguagesOfText(w);
     }},
    {kSkinAutoSubtitlesCheck,
     [](const QualityPreferences& c) { return CheckWord(c.automatic_subtitles); },
     [](const std::string& w, QualityPreferences& c) { c.automatic_subtitles = CheckOf(w); }},
    {kSkinSubtitlesInsideCheck,
     [](const QualityPreferences& c) { return CheckWord(c.subtitles_inside); },
     [](const std::string& w, QualityPreferences& c) { c.subtitles_inside = CheckOf(w); }},
};

} // namespace

std::optional<std::string> SettingsControl::LoadSettings() {
    const std::string default_folder = settings::DefaultDownloadDir(s_.paths.HomeFolder());
    s_.values = settings::LoadSettings(s_.store, default_folder);
    std::optional<std::string> replaced;
    if (!settings::IsFullPath(s_.values.download_dir)) {
        replaced = s_.values.download_dir;
        s_.values.download_dir = default_folder;
        // Told once: the default is stored in its place.
        SaveSettings();
    }
    if (s_.values.monitor_enabled) s_.monitor.SwitchMonitor(true);
    PublishSettings();
    TellTransferSettings();
    return replaced;
}

void SettingsControl::PublishSettings() {
    SetSkinVariable(s_.skin, kSkinMonitorCheck, s_.values.monitor_enabled ? "1" : "0");
    SetSkinVariable(s_.skin, kSkinDownloadCheck, "1");
    SetSkinVariable(s_.skin, kSkinConvertCheck, "1");
    SetSkinVariable(s_.skin, kSkinDownloadDir, s_.values.download_dir);
    SetSkinVariable(s_.skin, kSkinKeepListCheck, s_.values.keep_list ? "1" : "0");
    SetSkinVariable(s_.skin, kSkinOtherSitesCheck, s_.values.other_sites ? "1" : "0");
    SetSkinVariable(s_.skin, kSkinYtDlpCheck, s_.values.use_ytdlp ? "1" : "0");
    SetSkinVariable(s_.skin, kSkinDownloadAgainCheck, s_.values.download_again ? "1" : "0");
    SetSkinVariable(s_.skin, kSkinConnections, std::to_string(s_.values.connections));
    SetSkinVariable(s_.skin, kSkinDownloadsAtOnce, std::to_string(s_.values.downloads_at_once));
    SetSkinVariable(s_.skin, kSkinSpeedLimit, std::to_string(s_.values.speed_limit_kb));
    SetSkinVariable(s_.skin, kSkinCookiesFrom, s_.values.cookies_from);
    SetSkinVariable(s_.skin, kSkinCookieFile, s_.values.cookie_file);
    for (const ChoicePartWords& part : kChoiceParts)
        SetSkinVariable(s_.skin, part.skin_variable, part.word(s_.values.choice));
}

void SettingsControl::SetOtherSites(bool on) {
    s_.values.other_sites = on;
    SaveSettings();
}

void SettingsControl::SetUseYtDlp(bool on) {
    s_.values.use_ytdlp = on;
    SaveSettings();
}

void SettingsControl::SetDownloadAgain(bool on) {
    s_.values.download_again = on;
    SaveSettings();
}

void SettingsControl::SetNotify(bool on) {
    s_.values.notify = on;
    SaveSettings();
}

void SettingsControl::SetConnections(int64_t count) {
    SetTransferNumber(s_.values.connections, count, settings::kConnectionsLimits, kSkinConnections);
}

void SettingsControl::SetDownloadsAtOnce(int64_t count) {
    SetTransferNumber(s_.values.downloads_at_once, count, settings::kDownloadsAtOnceLimits,
                      kSkinDownloadsAtOnce);
}

void SettingsControl::SetSpeedLimit(int64_t kb_per_second) {
    SetTransferNumber(s_.values.speed_limit_kb, kb_per_second, settings::kSpeedLimitLimits,
                      kSkinSpeedLimit);
}

void SettingsControl::SetCookiesFrom(const std::string& text) {
    s_.values.cookies_from = settings::CookieBrowserOf(text);
    SaveSettings();
    SetSkinVariable(s_.skin, kSkinCookiesFrom, s_.values.cookies_from);
}

void SettingsControl::SetChoice(ChoicePart part, const std::string& word) {
    const ChoicePartWords& words = kChoiceParts[static_cast<size_t>(part)];
    words.take(word, s_.values.choice);
    SaveSettings();
    SetSkinVariable(s_.skin, words.skin_variable, words.word(s_.values.choice));
}

void SettingsControl::SetCookieFile(const std::string& path) {
    s_.values.cookie_file = path;
    SaveSettings();
    SetSkinVariable(s_.skin, kSkinCookieFile, path);
}

void SettingsControl::ChooseCookieFile() {
    const std::string& present = s_.values.cookie_file;
    const std::string start = present.empty()
                                  ? s_.paths.HomeFolder()
                                  : std::filesystem::path(present).parent_path().string();
    const std::string path = s_.chooser.ChooseFile(kCookieFilePrompt, start);
    if (path.empty()) return;
    if (const std::string why = WhyUnreadable(path); !why.empty()) {
        const std::string stays = present.empty() ? "No cookie file is used."
                                                  : "The cookie file stays \"" + present + "\".";
        s_.box.Show("Cookies cannot be read from \"" + path + "\": " + why + ".\r\n" + stays,
                    kAppTitle, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
        return;
    }
    SetCookieFile(path);
}

template <typename Number>
void SettingsControl::SetTransferNumber(Number& field, int64_t value,
                                        const settings::NumberLimits& limits,
                                        const char* variable) {
    const auto kept = static_cast<Number>(settings::ClampToLimits(value, limits));
    const bool changed = kept != field;
    field = kept;
    SaveSettings();
    SetSkinVariable(s_.skin, variable, std::to_string(kept));
    if (changed) TellTransferSettings();
}

void SettingsControl::TellTransferSettings() {
    if (s_.on_transfer_settings) s_.on_transfer_settings(s_.values);
}

void SettingsControl::SetKeepList(bool keep) {
    s_.values.keep_list = keep;
    s_.keeper.SetKeeping(keep);
    SaveSettings();
}

std::string SettingsControl::BrowseForFolder(const std::string& prompt) {
    std::string path = s_.chooser.ChooseFolder(prompt, s_.values.download_dir);
    const size_t nul = path.find('\0');
    if (nul != std::string::npos) path.resize(nul);
    return path;
}

void SettingsControl::ChooseDownloadFolder() {
    const std::string path = BrowseForFolder(kBrowsePrompt);
    if (path.empty()) return;
    if (const Status writable = driver::TryWritingIn(path); !writable) {
        s_.box.Show(kFolderRefusedStart + path + kFolderRefusedMiddle + writable.failure().detail +
                        kFolderRefusedStays + s_.values.download_dir + kFolderRefusedEnd,
                    kAppTitle, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
        return;
    }
    SetSkinVariable(s_.skin, kSkinDownloadDir, path);
    s_.values.download_dir = path;
}

} // namespace tarnwick::shell
