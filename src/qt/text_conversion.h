// Texts cross between the program's byte strings and Qt as UTF-8.
#pragma once

#include <QString>

#include <string>

namespace tarnwick::qt {

inline QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace tarnwick::qt
