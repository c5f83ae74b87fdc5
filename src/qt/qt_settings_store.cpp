#include "qt/qt_settings_store.h"

#include "qt/settings_file.h"
#include "qt/text_conversion.h"

#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <cerrno>

namespace tarnwick::qt {
namespace {

constexpr const char* kMaker = "Orvelle Tarnwick";
constexpr const char* kStoreName = "Tarnwick";
// Where the earlier shape of the file kept the values.
constexpr const char* kEarlierGroup = "Software/Orvelle Tarnwick/Settings";
constexpr const char* kEarlierTop = "Software";

QString ValueText(const QVariant& value) {
    // An unquoted text with commas in a hand-written file reads as a list.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(", ");
    return value.toString();
}

} // namespace

SettingsLocation QtSettingsStore::UserLocation() {
#ifdef Q_OS_WIN
    return {QStringLiteral("HKEY_CURRENT_USER\\Software\\") + kMaker, QSettings::NativeFormat};
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
    return {folder + '/' + kMaker + '/' + kStoreName + ".conf", QSettings::IniFormat};
#endif
}

QtSettingsStore::QtSettingsStore(SettingsLocation location, platform::BackgroundWork* writes)
    : location_(std::move(location)), writes_(writes) {
    if (IsIni()) RewriteEarlierShape();
}

bool QtSettingsStore::IsDamaged() const { return IsIni() && IsDamagedSettingsFile(location_.path); }

bool QtSettingsStore::CanWriteAt(const SettingsLocation& location) {
    if (IsIniAt(location)) return CanWriteSettingsFile(location.path);
    return QSettings(location.path, location.format).isWritable();
}

QString QtSettingsStore::Key(const std::string& name) const {
    return location_.group + '/' + ToQString(name);
}

void QtSettingsStore::RewriteEarlierShape() {
    if (IsDamaged() || !CanWriteAt(location_) || !RemoveByteOrderMark(location_.path)) return;
    QSettings settings(location_.path, location_.format);
    settings.beginGroup(kEarlierGroup);
    const QStringList names = settings.childKeys();
    QList<QVariant> values;
    for (const QString& name : names) values.append(settings.value(name));
    settings.endGroup();
    if (names.isEmpty()) return;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString key = location_.group + '/' + names[i];
        if (!settings.contains(key)) settings.setValue(key, values[i]);
    }
    settings.remove(kEarlierGroup);
    settings.beginGroup(kEarlierTop);
    const bool empty = settings.childKeys().isEmpty() && settings.childGroups().isEmpty();
    settings.endGroup();
    if (empty) settings.remove(kEarlierTop);
    settings.sync();
}

std::optional<std::string> QtSettingsStore::Read(const std::string& name) {
    if (const auto pending = pending_.find(name); pending != pending_.end())
        return pending->second.value;
    if (IsDamaged()) return std::nullopt;
    const QSettings settings(location_.path, location_.format);
    QVariant value = settings.value(Key(name));
    // A file of the earlier shape that could not be rewritten still holds its values.
    if (!value.isValid() && IsIni())
        value = settings.value(kEarlierGroup + ('/' + ToQString(name)));
    if (!value.isValid()) return std::nullopt;
    return ToStdString(ValueText(value));
}

bool QtSettingsStore::Write(const std::string& name, const std::string& value) {
    if (writes_ == nullptr) return WriteAt(location_, Key(name), ToQString(value));
    const uint64_t number = ++made_;
    pending_[name] = {value, number};
    // The work keeps its own copies: it may run after this store has gone.
    tickets_[number] =
        writes_->Run([location = location_, key = Key(name),
                      text = ToQString(value)] { return WriteAt(location, key, text) ? 0 : EIO; },
                     [this, name, number](int) {
                         tickets_.erase(number);
                         // A later value of the name still waits.
                         if (const auto pending = pending_.find(name);
                             pending != pending_.end() && pending->second.number == number)
                             pending_.erase(pending);
                     });
    return true;
}

void QtSettingsStore::EndWrites() {
    if (writes_ == nullptr) return;
    writes_->WaitForAll();
    pending_.clear();
    tickets_.clear();
}

bool QtSettingsStore::WriteAt(const SettingsLocation& location, const QString& key,
                              const QString& value) {
    if (!CanWriteAt(location)) return false;
    if (IsIniAt(location) && IsDamagedSettingsFile(location.path) &&
        !SetDamagedFileAside(location.path))
        return false;
    QSettings settings(location.path, location.format);
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace tarnwick::qt
