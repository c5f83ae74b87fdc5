#include "qt/qt_app_paths.h"

#include "qt/qt_shell_launch.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::qt {
namespace {

// Sets an environment variable for one test and puts it back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), saved_(qgetenv(name)), was_set_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() { was_set_ ? qputenv(name_, saved_) : qunsetenv(name_); }

private:
    const char* name_;
    QByteArray saved_;
    bool was_set_;
};

TEST(QtAppPathsTest, HomeAndCacheFollowTheUsersEnvironment) {
    QTemporaryDir folder;
    const ScopedEnvironment home("HOME", folder.path().toUtf8());
    const ScopedEnvironment cache("XDG_CACHE_HOME", (folder.path() + "/cache").toUtf8());
    QtAppPaths paths;
    EXPECT_EQ(paths.HomeFolder(), folder.path().toStdString());
    EXPECT_EQ(paths.CacheFolder().rfind(folder.path().toStdString() + "/cache/", 0), 0u)
        << paths.CacheFolder();
    EXPECT_FALSE(paths.ProgramFolder().empty());
}

TEST(QtShellLaunchTest, AProgramThatDoesNotExistIsReportedNotStarted) {
    QTemporaryDir folder;
    QtShellLaunch launch;
    EXPECT_FALSE(launch.LaunchProgram((folder.path() + "/tarnwick-clip").toStdString(), {"Exit"}));
}

} // namespace
} // namespace tarnwick::qt
