#include "qt/settings_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringDecoder>

namespace tarnwick::qt {
namespace {

constexpr int kMaxAsideNames = 100;
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

bool IsSettingsLine(const QByteArray& raw) {
    const QByteArray line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(';')) return true;
    if (line.startsWith('[')) return line.endsWith(']') && line.size() > 2;
    const qsizetype equals = line.indexOf('=');
    return equals > 0;
}

bool HasOnlySettingsLines(const QByteArray& content) {
    bool continued = false;
    for (const QByteArray& line : content.split('\n')) {
        // A line ending in a backslash carries its value on to the next line.
        if (!continued && !IsSettingsLine(line)) return false;
        continued = line.trimmed().endsWith('\\');
    }
    return true;
}

bool IsUtf8(const QByteArray& content) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder.decode(content);
    return !decoder.hasError();
}

} // namespace

bool IsDamagedSettingsFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) return false;
    if (!file.open(QIODevice::ReadOnly)) return false; // unreadable, not damaged
    QByteArray content = file.readAll();
    file.close();
    // A byte-order mark in front is no damage; the store takes it off.
    const bool marked = content.startsWith(kByteOrderMark);
    if (marked) content.remove(0, 3);
    if (content.contains('\0') || !IsUtf8(content) || !HasOnlySettingsLines(content)) return true;
    if (marked) return false;
    QSettings settings(path, QSettings::IniFormat);
    [[maybe_unused]] const QStringList keys = settings.allKeys();
    return settings.status() == QSettings::FormatError;
}

bool RemoveByteOrderMark(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray content = file.readAll();
    file.close();
    if (!content.startsWith(kByteOrderMark)) return true;
    content.remove(0, 3);
    QSaveFile rewritten(path);
    return rewritten.open(QIODevice::WriteOnly) && rewritten.write(content) == content.size() &&
           rewritten.commit();
}

bool SetDamagedFileAside(const QString& path) {
    for (int number = 0; number < kMaxAsideNames; ++number) {
        const QString aside =
            path + ".damaged" + (number == 0 ? QString() : QStringLiteral("-%1").arg(number));
        if (QFileInfo::exists(aside)) continue;
        return QFile::rename(path, aside);
    }
    return false;
}

bool CanWriteSettingsFile(const QString& path) {
    const QFileInfo file(path);
    if (file.exists()) return file.isFile() && file.isWritable();
    // The nearest folder that exists must let us create what is missing.
    QString folder = file.absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder) return false;
        folder = parent;
    }
    const QFileInfo existing(folder);
    return existing.isDir() && existing.isWritable();
}

} // namespace tarnwick::qt
