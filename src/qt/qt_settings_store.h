// The settings store on QSettings: on Windows the registry key
// HKEY_CURRENT_USER\Software\Orvelle Tarnwick\Settings; elsewhere an INI file
// in the user's configuration folder, with the values in its [Settings]
// group. A damaged file reads as empty and is set aside, not overwritten, by
// the next write. Every write is synced at once: on the caller's thread, or,
// given background work, there, away from the window, the value being read
// back from memory until it is in the file.
#pragma once

#include "platform/background_work.h"
#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

#include <cstdint>
#include <map>
#include <string>

namespace tarnwick::qt {

struct SettingsLocation {
    // The INI file, or on Windows the registry key above the group.
    QString path;
    QSettings::Format format = QSettings::IniFormat;
    // The group that holds the values.
    QString group = QStringLiteral("Settings");
};

class QtSettingsStore : public platform::SettingsStore {
public:
    // A file of the earlier shape (its values under a registry-like key
    // path) is rewritten once in this shape, keeping its values; one that
    // begins with a byte-order mark is rewritten without it.
    explicit QtSettingsStore(SettingsLocation location, platform::BackgroundWork* writes = nullptr);
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    // The program's store at its standard place.
    static SettingsLocation UserLocation();

    std::optional<std::string> Read(const std::string& name) override;
    bool Write(const std::string& name, const std::string& value) override;
    void EndWrites() override;

private:
    // A value given to the background work, not yet in the file.
    struct Pending {
        std::string value;
        uint64_t number = 0;
    };

    bool IsIni() const { return IsIniAt(location_); }
    static bool IsIniAt(const SettingsLocation& location) {
        return location.format == QSettings::IniFormat;
    }
    bool IsDamaged() const;
    static bool CanWriteAt(const SettingsLocation& location);
    // Stores `value` under `key` and syncs the file; false when it cannot.
    static bool WriteAt(const SettingsLocation& location, const QString& key, const QString& value);
    QString Key(const std::string& name) const;
    void RewriteEarlierShape();

    SettingsLocation location_;
    platform::BackgroundWork* writes_;
    std::map<std::string, Pending> pending_;
    uint64_t made_ = 0;
    std::map<uint64_t, platform::BackgroundWork::Ticket> tickets_;
};

} // namespace tarnwick::qt
