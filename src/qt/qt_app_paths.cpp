#include "qt/qt_app_paths.h"

#include "qt/text_conversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace tarnwick::qt {
namespace {

std::string Native(const QString& path) { return ToStdString(QDir::toNativeSeparators(path)); }

} // namespace

std::string QtAppPaths::ProgramFolder() const {
    return Native(QCoreApplication::applicationDirPath());
}

std::string QtAppPaths::HomeFolder() const { return Native(QDir::homePath()); }

std::string QtAppPaths::CacheFolder() const {
    return Native(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
}

std::string QtAppPaths::DataFolder() const {
    return Native(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace tarnwick::qt
