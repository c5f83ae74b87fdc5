#include "qt/qt_settings_store.h"

#include "qt/settings_file.h"
#include "qt/text_conversion.h"

#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace tarnwick::platform::qt {
namespace {

constexpr const char* kMaker = "Orvelle Tarnwick";
constexpr const char* kStoreName = "Tarnwick";

#ifdef Q_OS_WIN
constexpr const char* kDefaultValueName = "Default";
#else
constexpr const char* kDefaultValueName = "*";
#endif

bool IsIni(const SettingsLocation& location) { return location.format == QSettings::IniFormat; }

bool CanWrite(const SettingsLocation& location) {
    if (location.read_only) return false;
    if (IsIni(location)) return CanWriteSettingsFile(location.path);
    return QSettings(location.path, location.format).isWritable();
}

bool IsDamaged(const SettingsLocation& location) {
    return IsIni(location) && IsDamagedSettingsFile(location.path);
}

// A key path below `group`: levels split at "\", none of them empty and none
// holding a "/", which the settings file keeps for its own levels.
bool JoinGroup(QString& group, const std::string& sub_path) {
    if (sub_path.empty()) return true;
    for (const QString& level : ToQString(sub_path).split('\\')) {
        if (level.isEmpty() || level.contains('/')) return false;
        group = group.isEmpty() ? level : group + '/' + level;
    }
    return true;
}

bool IsValidValueName(const std::string& name) {
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

QString SettingName(const QString& group, const std::string& name) {
    const QString value_name = name.empty() ? QString(kDefaultValueName) : ToQString(name);
    return group.isEmpty() ? value_name : group + '/' + value_name;
}

// A key exists while it or a key below it holds a value; the root always.
bool KeyExists(QSettings& settings, const QString& group) {
    if (group.isEmpty()) return true;
    settings.beginGroup(group);
    const bool exists = !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
    settings.endGroup();
    return exists;
}

bool HasSubkeys(QSettings& settings, const QString& group) {
    settings.beginGroup(group);
    const bool has = !settings.childGroups().isEmpty();
    settings.endGroup();
    return has;
}

// The store as it reads: nothing at all while its file is damaged.
std::unique_ptr<QSettings> OpenForReading(const SettingsLocation& location) {
    if (IsDamaged(location)) return nullptr;
    return std::make_unique<QSettings>(location.path, location.format);
}

long Write(const SettingsLocation& location, const std::function<void(QSettings&)>& change) {
    if (!CanWrite(location)) return kStoreAccessDenied;
    if (IsDamaged(location) && !SetDamagedFileAside(location.path)) return kStoreCannotWrite;
    QSettings settings(location.path, location.format);
    change(settings);
    settings.sync();
    switch (settings.status()) {
        case QSettings::NoError: return kStoreSuccess;
        case QSettings::AccessError: return kStoreAccessDenied;
        case QSettings::FormatError: break;
    }
    return kStoreCannotWrite;
}

QString ValueText(const QVariant& value) {
    // An unquoted text with commas in a hand-written file reads as a list.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(", ");
    return value.toString();
}

} // namespace

SettingsLocation QtSettingsStore::UserLocation() {
#ifdef Q_OS_WIN
    return {"HKEY_CURRENT_USER", QSettings::NativeFormat, false};
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
    return {folder + '/' + kMaker + '/' + kStoreName + ".conf", QSettings::IniFormat, false};
#endif
}

SettingsLocation QtSettingsStore::MachineLocation() {
#ifdef Q_OS_WIN
    return {"HKEY_LOCAL_MACHINE", QSettings::NativeFormat, false};
#else
    const QSettings system(QSettings::IniFormat, QSettings::SystemScope, kMaker, kStoreName);
    return {system.fileName(), QSettings::IniFormat, false};
#endif
}

long QtSettingsStore::Find(KeyHandle handle, Key& key) const {
    if (handle == kCurrentUserRoot || handle == kLocalMachineRoot) {
        key = {handle == kCurrentUserRoot ? &user_ : &machine_, QString(), kKeyAllAccess};
        return kStoreSuccess;
    }
    const auto found = open_.find(handle);
    if (found == open_.end()) return kStoreInvalidHandle;
    key = found->second;
    return kStoreSuccess;
}

long QtSettingsStore::Below(KeyHandle parent, const std::string& sub_path, Key& key) const {
    if (const long result = Find(parent, key); result != kStoreSuccess) return result;
    if (!JoinGroup(key.group, sub_path)) return kStoreBadPath;
    return kStoreSuccess;
}

KeyHandle QtSettingsStore::Register(const Key& key) {
    while (next_handle_ == 0 || open_.count(next_handle_) > 0 || next_handle_ == kCurrentUserRoot ||
           next_handle_ == kLocalMachineRoot) {
        ++next_handle_;
    }
    open_[next_handle_] = key;
    return next_handle_++;
}

long QtSettingsStore::OpenKey(KeyHandle parent, const std::string& sub_path, uint32_t access,
                              KeyHandle& handle) {
    Key key;
    if (const long result = Below(parent, sub_path, key); result != kStoreSuccess) return result;
    const auto settings = OpenForReading(*key.location);
    if (!key.group.isEmpty() && (!settings || !KeyExists(*settings, key.group))) {
        return kStoreNotFound;
    }
    if ((access & kKeyWriteAccess) != 0 && !CanWrite(*key.location)) return kStoreAccessDenied;
    key.access = access;
    handle = Register(key);
    return kStoreSuccess;
}

long QtSettingsStore::CreateKey(KeyHandle parent, const std::string& sub_path, uint32_t access,
                                KeyHandle& handle) {
    Key key;
    if (const long result = Below(parent, sub_path, key); result != kStoreSuccess) return result;
    // The file holds a key once a value is written into it.
    if (!CanWrite(*key.location)) return kStoreAccessDenied;
    key.access = access;
    handle = Register(key);
    return kStoreSuccess;
}

long QtSettingsStore::ReadText(const Key& key, const std::string& name, QByteArray& text) const {
    if ((key.access & kKeyQueryValue) == 0) return kStoreAccessDenied;
    if (!IsValidValueName(name)) return kStoreInvalidParameter;
    const auto settings = OpenForReading(*key.location);
    if (!settings) return kStoreNotFound;
    const QVariant value = settings->value(SettingName(key.group, name));
    if (!value.isValid()) return kStoreNotFound;
    text = ValueText(value).toUtf8();
    return kStoreSuccess;
}

long QtSettingsStore::QueryValueSize(KeyHandle handle, const std::string& name, uint32_t& size) {
    Key key;
    if (const long result = Find(handle, key); result != kStoreSuccess) return result;
    QByteArray text;
    if (const long result = ReadText(key, name, text); result != kStoreSuccess) return result;
    size = static_cast<uint32_t>(text.size()) + 1;
    return kStoreSuccess;
}

long QtSettingsStore::QueryValue(KeyHandle handle, const std::string& name, uint32_t buffer_size,
                                 std::string& data) {
    Key key;
    if (const long result = Find(handle, key); result != kStoreSuccess) return result;
    QByteArray text;
    if (const long result = ReadText(key, name, text); result != kStoreSuccess) return result;
    if (static_cast<uint64_t>(text.size()) + 1 > buffer_size) return kStoreMoreData;
    data.assign(text.constData(), static_cast<size_t>(text.size()));
    data.push_back('\0');
    return kStoreSuccess;
}

long QtSettingsStore::SetTextValue(KeyHandle handle, const std::string& name,
                                   const std::string& value) {
    Key key;
    if (const long result = Find(handle, key); result != kStoreSuccess) return result;
    if ((key.access & kKeySetValue) == 0) return kStoreAccessDenied;
    if (!IsValidValueName(name)) return kStoreInvalidParameter;
    return Write(*key.location, [&](QSettings& settings) {
        settings.setValue(SettingName(key.group, name), ToQString(value));
    });
}

long QtSettingsStore::DeleteValue(KeyHandle handle, const std::string& name) {
    Key key;
    if (const long result = Find(handle, key); result != kStoreSuccess) return result;
    if ((key.access & kKeySetValue) == 0) return kStoreAccessDenied;
    if (!IsValidValueName(name)) return kStoreInvalidParameter;
    const QString setting = SettingName(key.group, name);
    const auto settings = OpenForReading(*key.location);
    if (!settings || !settings->contains(setting)) return kStoreNotFound;
    return Write(*key.location, [&](QSettings& writable) { writable.remove(setting); });
}

long QtSettingsStore::DeleteKey(KeyHandle parent, const std::string& sub_path) {
    Key key;
    if (const long result = Below(parent, sub_path, key); result != kStoreSuccess) return result;
    // A root is never deleted.
    if (key.group.isEmpty()) return kStoreAccessDenied;
    const auto settings = OpenForReading(*key.location);
    if (!settings || !KeyExists(*settings, key.group)) return kStoreNotFound;
    if (HasSubkeys(*settings, key.group)) return kStoreAccessDenied;
    return Write(*key.location, [&](QSettings& writable) { writable.remove(key.group); });
}

long QtSettingsStore::CloseKey(KeyHandle handle) {
    if (handle == kCurrentUserRoot || handle == kLocalMachineRoot) return kStoreSuccess;
    return open_.erase(handle) > 0 ? kStoreSuccess : kStoreInvalidHandle;
}

} // namespace tarnwick::platform::qt
