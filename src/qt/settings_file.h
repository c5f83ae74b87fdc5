// Checks and care of the settings file behind the per-user store.
#pragma once

#include <QString>

namespace tarnwick::qt {

// True when the file exists but cannot be taken as a settings file: it holds
// NUL bytes, is not UTF-8 text, has a line that is neither blank, a ";"
// comment, a [section] nor a key=value pair, or QSettings reports a format error.
bool IsDamagedSettingsFile(const QString& path);

// Rewrites the file without the UTF-8 byte-order mark it begins with, which
// QSettings does not read; true when it has none afterwards.
bool RemoveByteOrderMark(const QString& path);

// Moves a damaged file out of the way, beside itself as "<name>.damaged"
// (with a number when that name is taken), so that a good file can be
// written in its place without losing what it held. False when it stays.
bool SetDamagedFileAside(const QString& path);

// True when the file could be written (or created, with any missing
// folders) without creating anything now.
bool CanWriteSettingsFile(const QString& path);

} // namespace tarnwick::qt
