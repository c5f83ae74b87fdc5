#include "qt/qt_settings_store.h"

#include "qt/settings_file.h"
#include "settings/application_settings.h"

#include "fakes/held_work.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <ostream>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tarnwick::qt {
namespace {

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
    QtSettingsStoreTest() : user_file(folder.filePath("config/Orvelle Tarnwick/Tarnwick.conf")) {}

    // A fresh store over the same file, as after a restart.
    std::unique_ptr<QtSettingsStore> Reopen() const {
        return std::make_unique<QtSettingsStore>(SettingsLocation{user_file});
    }
    std::string Get(const std::string& name) { return store->Read(name).value_or("fallback"); }

    QTemporaryDir folder;
    QString user_file;
    std::unique_ptr<QtSettingsStore> store = Reopen();
};

struct StoredText {
    const char* name;
    const char* text;
};

void PrintTo(const StoredText& c, std::ostream* out) { *out << c.name; }

class StoredTextTest : public QtSettingsStoreTest,
                       public testing::WithParamInterface<StoredText> {};

TEST_P(StoredTextTest, ReadsBackUnchangedAfterARestart) {
    ASSERT_TRUE(store->Write("Download Dir", GetParam().text));
    store = Reopen();
    EXPECT_EQ(Get("Download Dir"), GetParam().text);
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

TEST_F(QtSettingsStoreTest, KeepsTheValuesInTheSettingsGroup) {
    ASSERT_TRUE(store->Write("URL Mon", "False"));
    EXPECT_EQ(Get("Missing"), "fallback");
    EXPECT_EQ(QSettings(user_file, QSettings::IniFormat).allKeys(),
              QStringList{"Settings/URL Mon"});
}

TEST_F(QtSettingsStoreTest, AValueWrittenLaterIsReadBackAtOnceAndIsInTheFileOnceWritten) {
    fakes::HeldWork work;
    QtSettingsStore later(SettingsLocation{user_file}, &work);
    ASSERT_TRUE(later.Write("Speed Limit", "100"));
    ASSERT_TRUE(later.Write("Speed Limit", "250"));
    EXPECT_EQ(later.Read("Speed Limit"), "250");
    EXPECT_EQ(Reopen()->Read("Speed Limit"), std::nullopt) << "not in the file before its turn";

    work.Release();
    EXPECT_EQ(later.Read("Speed Limit"), "250") << "the later value still waits";
    later.EndWrites();
    EXPECT_EQ(Reopen()->Read("Speed Limit"), "250");
    EXPECT_EQ(later.Read("Speed Limit"), "250");
}

TEST_F(QtSettingsStoreTest, AFileOfTheEarlierShapeIsRewrittenOnceKeepingItsValues) {
    WriteAll(user_file,
             "[Software]\nOrvelle%20Tarnwick\\Settings\\URL%20Mon=False\n"
             "Orvelle%20Tarnwick\\Settings\\Download%20Dir=/home/ann/Films\n");
    store = Reopen();
    EXPECT_EQ(Get("URL Mon"), "False");
    EXPECT_EQ(Get("Download Dir"), "/home/ann/Films");
    EXPECT_EQ(QSettings(user_file, QSettings::IniFormat).allKeys(),
              (QStringList{"Settings/Download Dir", "Settings/URL Mon"}));
    ASSERT_TRUE(store->Write("URL Mon", "True"));
    store = Reopen();
    EXPECT_EQ(Get("URL Mon"), "True") << "the earlier values are taken once only";
}

struct DamagedContent {
    const char* name;
    QByteArray content;
};

void PrintTo(const DamagedContent& c, std::ostream* out) { *out << c.name; }

class DamagedFileTest : public QtSettingsStoreTest,
                        public testing::WithParamInterface<DamagedContent> {};

TEST_P(DamagedFileTest, ReadsAsEmptyAndTheNextSaveWritesAGoodFileBesideIt) {
    WriteAll(user_file, GetParam().content);
    ASSERT_TRUE(IsDamagedSettingsFile(user_file));
    store = Reopen();
    EXPECT_EQ(Get("Name"), "fallback");

    ASSERT_TRUE(store->Write("Name", "fresh"));
    EXPECT_FALSE(IsDamagedSettingsFile(user_file));
    EXPECT_EQ(QSettings(user_file, QSettings::IniFormat).allKeys(), QStringList{"Settings/Name"});
    EXPECT_EQ(ReadAll(user_file + ".damaged"), GetParam().content) << "the old file is kept";
    store = Reopen();
    EXPECT_EQ(Get("Name"), "fresh");
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
    ASSERT_TRUE(store->Write("Name", "fresh"));
    EXPECT_EQ(ReadAll(user_file + ".damaged"), "first");
    EXPECT_EQ(ReadAll(user_file + ".damaged-1"), QByteArray("\x00second", 7));
}

TEST_F(QtSettingsStoreTest, AnUnreadableFileGivesTheDefaultsAndIsLeftAlone) {
    // A folder where the file should be: neither readable nor replaceable.
    ASSERT_TRUE(QDir().mkpath(user_file));
    EXPECT_EQ(Get("Name"), "fallback");
    EXPECT_FALSE(store->Write("Name", "x"));
    EXPECT_TRUE(QFileInfo(user_file).isDir());
}

TEST_F(QtSettingsStoreTest, AFileWithAByteOrderMarkIsRead) {
    WriteAll(user_file, "\xEF\xBB\xBF[Settings]\nDownload%20Dir=/home/ann/Films\n");
    EXPECT_FALSE(IsDamagedSettingsFile(user_file));
    store = Reopen();
    EXPECT_FALSE(ReadAll(user_file).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(Get("Download Dir"), "/home/ann/Films");
    ASSERT_TRUE(store->Write("URL Mon", "False"));
    EXPECT_FALSE(QFileInfo::exists(user_file + ".damaged")) << "nothing is set aside";
    EXPECT_EQ(Get("Download Dir"), "/home/ann/Films");
}

TEST_F(QtSettingsStoreTest, HandFormattedFilesStillRead) {
    WriteAll(user_file, "; written by hand\r\n[Settings]\r\nName=a, b\r\n\r\n");
    EXPECT_FALSE(IsDamagedSettingsFile(user_file));
    EXPECT_EQ(Get("Name"), "a, b");
}

TEST_F(QtSettingsStoreTest, TheApplicationsSettingsLandInTheUsersConfigurationFolder) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.filePath("xdg").toUtf8());
    const SettingsLocation location = QtSettingsStore::UserLocation();
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
    const QString expected = folder.filePath("xdg/Orvelle Tarnwick/Tarnwick.conf");
    EXPECT_EQ(location.path.toStdString(), expected.toStdString());

    QtSettingsStore real_place(location);
    settings::SaveSettings(real_place, {false, "/home/ann/Films"});
    QSettings written(expected, QSettings::IniFormat);
    EXPECT_EQ(written.value("Settings/URL Mon").toString().toStdString(), "False");
    EXPECT_EQ(written.value("Settings/Download Dir").toString().toStdString(), "/home/ann/Films");
}

} // namespace
} // namespace tarnwick::qt
