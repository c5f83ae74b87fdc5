#include "shell/settings_control.h"

#include "common/app_info.h"
#include "driver/download_folder.h"
#include "shell/message_texts.h"
#include "shell/skin_variables.h"

namespace tarnwick::shell {

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
    SetSkinVariable(s_.skin, kSkinConnections, std::to_string(s_.values.connections));
    SetSkinVariable(s_.skin, kSkinDownloadsAtOnce, std::to_string(s_.values.downloads_at_once));
    SetSkinVariable(s_.skin, kSkinSpeedLimit, std::to_string(s_.values.speed_limit_kb));
}

void SettingsControl::SetOtherSites(bool on) {
    s_.values.other_sites = on;
    SaveSettings();
}

void SettingsControl::SetUseYtDlp(bool on) {
    s_.values.use_ytdlp = on;
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
