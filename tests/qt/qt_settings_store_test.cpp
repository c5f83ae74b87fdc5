#include "qt/qt_settings_store.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/recording_skin.h"
#include "qt/settings_file.h"
#include "settings/application_settings.h"
#include "settings/register.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tarnwick::platform::qt {
namespace {

using settings::CRegister;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

class QtSettingsStoreTest : public testing::Test {
protected:
    QtSettingsStoreTest()
        : user_file(folder.filePath("config/Orvelle Tarnwick/Tarnwick.conf")),
          machine_file(folder.filePath("system/Orvelle Tarnwick/Tarnwick.conf")) {}

    // A fresh store over the same files, as after a restart.
    std::unique_ptr<QtSettingsStore> Reopen() const {
        return std::make_unique<QtSettingsStore>(
            SettingsLocation{user_file},
            SettingsLocation{machine_file, QSettings::IniFormat, true});
    }
    std::string Get(const std::string& section, const std::string& key) {
        return CRegister(*store).REGGetSetting(kCurrentUserRoot, section, key, "fallback");
    }
    bool Save(const std::string& section, const std::string& key, const std::string& value) {
        return CRegister(*store).REGSaveSetting(kCurrentUserRoot, section, key, value);
    }

    QTemporaryDir folder;
    QString user_file;
    QString machine_file;
    std::unique_ptr<QtSettingsStore> store = Reopen();
};

struct StoredText {
    const char* name;
    const char* text;
};

class StoredTextTest : public QtSettingsStoreTest,
                       public testing::WithParamInterface<StoredText> {};

TEST_P(StoredTextTest, ReadsBackUnchangedAfterARestart) {
    ASSERT_TRUE(Save("Software\\Test", "Value", GetParam().text));
    store = Reopen();
    EXPECT_EQ(Get("Software\\Test", "Value"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(FileSyntaxInValues, StoredTextTest,
                         testing::Values(StoredText{"Plain", "/home/ann/Downloaded Videos"},
                                         StoredText{"Empty", ""},
                                         StoredText{"Backslashes", "C:\\Downloaded Videos\\"},
                                         StoredText{"IniPunctuation", "a, b; c = d # e [f]"},
                                         StoredText{"Quotes", "\"quoted\" 'single'"},
                                         StoredText{"OuterSpaces", "  padded  "},
                                         StoredText{"LineBreaks", "one\ntwo\r\nthree"},
                                         StoredText{"VariantMarker", "@Variant(\\0\\0)"},
                                         StoredText{"NonAscii", "Vid\xC3\xA9os \xE2\x82\xAC"},
                                         StoredText{"TruthWord", "true"}),
                         [](const testing::TestParamInfo<StoredText>& info) {
                             return info.param.name;
                         });

TEST_F(QtSettingsStoreTest, SectionsWithOneOuterSeparatorNameTheSameKey) {
    ASSERT_TRUE(Save("\\Software\\Test\\", "Name", "stored"));
    EXPECT_EQ(Get("Software\\Test", "Name"), "stored");
    EXPECT_EQ(Get("\\Software\\Test", "Name"), "stored");
    EXPECT_EQ(Get("Software\\Test\\", "Name"), "stored");
    EXPECT_EQ(QSettings(user_file, QSettings::IniFormat)
                  .value("Software/Test/Name")
                  .toString()
                  .toStdString(),
              "stored");
}

TEST_F(QtSettingsStoreTest, MissingValuesGiveTheDefault) {
    ASSERT_TRUE(Save("Software\\Test", "Name", "stored"));
    EXPECT_EQ(Get("Software\\Missing", "Name"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "Missing"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "*"), "fallback");
}

TEST_F(QtSettingsStoreTest, StarIsTheKeysDefaultValue) {
    ASSERT_TRUE(Save("Software\\Test", "*", "unnamed"));
    ASSERT_TRUE(Save("Software\\Test", "Other", "kept"));
    EXPECT_EQ(Get("Software\\Test", "*"), "unnamed");
    EXPECT_EQ(QSettings(user_file, QSettings::IniFormat)
                  .value("Software/Test/*")
                  .toString()
                  .toStdString(),
              "unnamed");
    EXPECT_TRUE(CRegister(*store).REGDeleteSetting(kCurrentUserRoot, "Software\\Test", "*"));
    EXPECT_EQ(Get("Software\\Test", "*"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "Other"), "kept");
}

TEST_F(QtSettingsStoreTest, AStoreThatCannotBeWrittenStillReads) {
    QSettings(machine_file, QSettings::IniFormat).setValue("Software/Test/Name", "machine");
    CRegister reg(*store);
    EXPECT_EQ(reg.REGGetSetting(kLocalMachineRoot, "Software\\Test", "Name", "-"), "machine");
    EXPECT_FALSE(reg.REGSaveSetting(kLocalMachineRoot, "Software\\Test", "Name", "changed"));
    EXPECT_FALSE(reg.REGDeleteSetting(kLocalMachineRoot, "Software\\Test", "Name"));
    EXPECT_EQ(reg.REGGetSetting(kLocalMachineRoot, "Software\\Test", "Name", "-"), "machine");
}

TEST_F(QtSettingsStoreTest, OnlyAKeyWithoutSubkeysCanBeDeleted) {
    ASSERT_TRUE(Save("Software\\Test", "Name", "parent"));
    ASSERT_TRUE(Save("Software\\Test\\Leaf", "Name", "leaf"));
    CRegister reg(*store);
    EXPECT_FALSE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test", ""));
    EXPECT_EQ(Get("Software\\Test\\Leaf", "Name"), "leaf");
    EXPECT_TRUE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test\\Leaf", ""));
    EXPECT_EQ(Get("Software\\Test\\Leaf", "Name"), "fallback");
    EXPECT_FALSE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test\\Leaf", ""));
    EXPECT_TRUE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test", ""));
    EXPECT_EQ(Get("Software\\Test", "Name"), "fallback");
}

TEST_F(QtSettingsStoreTest, NamesThatWouldSplitIntoOtherLevelsAreRefused) {
    EXPECT_FALSE(Save("Software\\Test", "a/b", "x"));
    EXPECT_FALSE(Save("Software\\Test", "a\\b", "x"));
    EXPECT_FALSE(Save("Software/Test", "Name", "x"));
    EXPECT_FALSE(Save("Software\\\\Test", "Name", "x"));
    EXPECT_TRUE(QSettings(user_file, QSettings::IniFormat).allKeys().isEmpty());
}

struct DamagedContent {
    const char* name;
    QByteArray content;
};

class DamagedFileTest : public QtSettingsStoreTest,
                        public testing::WithParamInterface<DamagedContent> {};

TEST_P(DamagedFileTest, ReadsAsEmptyAndTheNextSaveWritesAGoodFileBesideIt) {
    WriteAll(user_file, GetParam().content);
    ASSERT_TRUE(IsDamagedSettingsFile(user_file));
    EXPECT_EQ(Get("Software\\Test", "Name"), "fallback");
    EXPECT_EQ(Get("", "Name"), "fallback");

    ASSERT_TRUE(Save("Software\\Test", "Name", "fresh"));
    EXPECT_FALSE(IsDamagedSettingsFile(user_file));
    EXPECT_EQ(QSettings(user_file, QSettings::IniFormat).allKeys(),
              QStringList{"Software/Test/Name"});
    EXPECT_EQ(ReadAll(user_file + ".damaged"), GetParam().content) << "the old file is kept";
    store = Reopen();
    EXPECT_EQ(Get("Software\\Test", "Name"), "fresh");
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedFileTest,
    testing::Values(DamagedContent{"BinaryBytes", QByteArray("\x00\x01[a]\nb=c\xff", 10)},
                    DamagedContent{"NotUtf8", "[Software]\nTest\\Name=\xff\xfe\n"},
                    DamagedContent{"ProseLines",
                                   "[Software]\nTest\\Name=kept\nthis is no setting\n"},
                    DamagedContent{"OpenSection", "[Software\nName=x\n"},
                    DamagedContent{"KeylessValue", "[a]\n=b\n"}),
    [](const testing::TestParamInfo<DamagedContent>& info) { return info.param.name; });

TEST_F(QtSettingsStoreTest, ASecondDamagedFileDoesNotReplaceTheFirstOneKept) {
    WriteAll(user_file + ".damaged", "first");
    WriteAll(user_file, QByteArray("\x00second", 7));
    ASSERT_TRUE(Save("Software\\Test", "Name", "fresh"));
    EXPECT_EQ(ReadAll(user_file + ".damaged"), "first");
    EXPECT_EQ(ReadAll(user_file + ".damaged-1"), QByteArray("\x00second", 7));
}

TEST_F(QtSettingsStoreTest, AnUnreadableFileGivesTheDefaultsAndIsLeftAlone) {
    // A folder where the file should be: neither readable nor replaceable.
    ASSERT_TRUE(QDir().mkpath(user_file));
    EXPECT_EQ(Get("Software\\Test", "Name"), "fallback");
    EXPECT_FALSE(Save("Software\\Test", "Name", "x"));
    EXPECT_TRUE(QFileInfo(user_file).isDir());
}

TEST_F(QtSettingsStoreTest, HandFormattedFilesStillRead) {
    WriteAll(user_file, "; written by hand\r\n[Software]\r\nTest\\Name=a, b\r\n\r\n");
    EXPECT_FALSE(IsDamagedSettingsFile(user_file));
    EXPECT_EQ(Get("Software\\Test", "Name"), "a, b");
}

TEST_F(QtSettingsStoreTest, TheApplicationsSettingsLandInTheUsersConfigurationFolder) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.filePath("xdg").toUtf8());
    const SettingsLocation location = QtSettingsStore::UserLocation();
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
    const QString expected = folder.filePath("xdg/Orvelle Tarnwick/Tarnwick.conf");
    EXPECT_EQ(location.path.toStdString(), expected.toStdString());

    QtSettingsStore real_place(location,
                               SettingsLocation{machine_file, QSettings::IniFormat, true});
    MainState state;
    fakes::RecordingSkin skin;
    fakes::FakeAppPaths paths;
    fakes::FakeShellLaunch launch;
    shell::ClipboardWatcher watcher(state, launch, paths, nullptr);
    settings::ApplicationSettings app_settings(state, real_place, skin, paths, watcher);
    state.MonitorEnabled = false;
    state.DownloadDir = "/home/ann/Films";
    app_settings.SaveSettings();
    QSettings written(expected, QSettings::IniFormat);
    EXPECT_EQ(written.value("Software/Orvelle Tarnwick/Settings/URL Mon").toString().toStdString(),
              "False");
    EXPECT_EQ(
        written.value("Software/Orvelle Tarnwick/Settings/Download Dir").toString().toStdString(),
        "/home/ann/Films");
}

} // namespace
} // namespace tarnwick::platform::qt
