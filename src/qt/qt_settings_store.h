// The settings store on QSettings: on Windows the registry key
// HKEY_CURRENT_USER\Software\Orvelle Tarnwick\Settings; elsewhere an INI file
// in the user's configuration folder, with the values in its [Settings]
// group. A damaged file reads as empty and is set aside, not overwritten, by
// the next write. Every write is synced at once.
#pragma once

#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

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
    explicit QtSettingsStore(SettingsLocation location);
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    // The program's store at its standard place.
    static SettingsLocation UserLocation();

    std::optional<std::string> Read(const std::string& name) override;
    bool Write(const std::string& name, const std::string& value) override;

private:
    bool IsIni() const { return location_.format == QSettings::IniFormat; }
    bool IsDamaged() const;
    bool CanWrite() const;
    QString Key(const std::string& name) const;
    void RewriteEarlierShape();

    SettingsLocation location_;
};

} // namespace tarnwick::qt
