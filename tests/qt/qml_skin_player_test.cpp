#include "qt/qml_skin_player.h"

#include <QFile>
#include <QQuickItem>
#include <QQuickWidget>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::qt {
namespace {

std::string SkinPath() { return TARNWICK_SKIN_DIR "/Main.qml"; }

// Where the program lays the download grid over the skin.
const QRectF kGridArea(36, 259, 572, 179);

class RecordingListener : public platform::SkinCommandListener {
public:
    void OnSkinCommand(const std::string& command, const std::string& args) override {
        commands.push_back(command);
        if (!args.empty()) non_empty_args.push_back(args);
    }
    std::vector<std::string> commands;
    std::vector<std::string> non_empty_args;
};

class SkinTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(player_.Load(SkinPath())) << player_.LoadError();
        player_.SetCommandListener(&listener_);
        player_.Widget()->show();
    }

    QQuickItem* Item(const char* name) const {
        return player_.Widget()->rootObject()->findChild<QQuickItem*>(name);
    }

    QRectF SceneRect(QQuickItem* item) const {
        return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    }

    void ClickAt(QPointF point) {
        QTest::mouseClick(player_.Widget(), Qt::LeftButton, {}, point.toPoint());
    }

    // Clicks the middle of the named control and returns the commands it sent.
    std::vector<std::string> Click(const char* name) {
        listener_.commands.clear();
        QQuickItem* item = Item(name);
        if (item == nullptr) return {"<no control named " + std::string(name) + ">"};
        ClickAt(SceneRect(item).center());
        return listener_.commands;
    }

    QmlSkinPlayer player_;
    RecordingListener listener_;
};

using Commands = std::vector<std::string>;

struct ButtonCase {
    const char* test_name;
    const char* control;
    const char* command;
};

class SkinButtonTest : public SkinTest, public testing::WithParamInterface<ButtonCase> {};

TEST_P(SkinButtonTest, SendsItsCommandWithEmptyArgs) {
    EXPECT_EQ(Click(GetParam().control), Commands{GetParam().command});
    EXPECT_TRUE(listener_.non_empty_args.empty());
}

TEST_P(SkinButtonTest, LiesOutsideTheGridArea) {
    QQuickItem* item = Item(GetParam().control);
    ASSERT_NE(item, nullptr);
    const QRectF rect = SceneRect(item);
    EXPECT_FALSE(rect.intersects(kGridArea)) << GetParam().control;
    EXPECT_TRUE(QRectF(0, 0, 648, 585).contains(rect)) << GetParam().control;
}

INSTANTIATE_TEST_SUITE_P(
    AllButtons, SkinButtonTest,
    testing::Values(ButtonCase{"TitleBarDrags", "IDC_FS_Drag", "IDC_FS_Drag"},
                    ButtonCase{"Minimize", "IDC_FS_Minimize", "IDC_FS_Minimize"},
                    ButtonCase{"Tray", "IDC_FS_Tray", "IDC_FS_Tray"},
                    ButtonCase{"Close", "IDC_FS_Close", "IDC_FS_Close"},
                    ButtonCase{"DownloadTab", "IDC_FS_Download", "IDC_FS_Download"},
                    ButtonCase{"AboutTab", "IDC_FS_About", "IDC_FS_About"},
                    ButtonCase{"Help", "IDC_FS_Help", "IDC_FS_Help"},
                    ButtonCase{"WebSite", "ID_FS_webSite", "ID_FS_webSite"},
                    ButtonCase{"Add", "IDC_FS_addDownloadURL", "IDC_FS_addDownloadURL"},
                    ButtonCase{"Browse", "ID_FS_downloadBrowse", "ID_FS_downloadBrowse"},
                    ButtonCase{"SelectAll", "IDC_FS_selectAllD", "IDC_FS_selectAllD"},
                    ButtonCase{"RemoveSelected", "IDC_FS_removeSelectedD",
                               "IDC_FS_removeSelectedD"},
                    ButtonCase{"MoveUp", "IDC_FS_moveUp", "IDC_FS_moveUp"},
                    ButtonCase{"MoveDown", "IDC_FS_moveDown", "IDC_FS_moveDown"},
                    ButtonCase{"ClearComplete", "ID_FS_clearComplete", "ID_FS_clearComplete"},
                    ButtonCase{"RetryFailed", "IDC_FS_retryFailedD", "IDC_FS_retryFailedD"},
                    ButtonCase{"KeepListWhenOff", "keepListCheck", "ID_FS_keepListCheck"},
                    ButtonCase{"OtherSitesWhenOff", "otherSitesCheck", "ID_FS_otherSitesCheck"},
                    ButtonCase{"StartWhenIdle", "startStopButton", "IDC_FS_startDownload"},
                    ButtonCase{"MonitorWhenOff", "monitorCheck", "ID_FS_autoDownloadCheck"}),
    [](const testing::TestParamInfo<ButtonCase>& info) { return info.param.test_name; });

// Everything that moves in the skin follows one beat, which runs only while
// a run is under way and the window can be seen; nothing loops on its own.
TEST_F(SkinTest, RestsUnlessBusyAndSeen) {
    QObject* beat = player_.Widget()->rootObject()->findChild<QObject*>("busyBeat");
    ASSERT_NE(beat, nullptr);
    EXPECT_FALSE(beat->property("running").toBool()) << "idle";
    player_.SetVariable("_root.startDownload", "0");
    EXPECT_TRUE(beat->property("running").toBool()) << "a run is under way";
    player_.Widget()->showMinimized();
    EXPECT_FALSE(beat->property("running").toBool()) << "minimised";
    player_.Widget()->showNormal();
    EXPECT_TRUE(beat->property("running").toBool());
    player_.Widget()->hide();
    EXPECT_FALSE(beat->property("running").toBool()) << "hidden, in the tray";
    player_.Widget()->show();
    player_.SetVariable("_root.startDownload", "1");
    EXPECT_FALSE(beat->property("running").toBool()) << "idle again";
    for (QObject* object : player_.Widget()->rootObject()->findChildren<QObject*>()) {
        const QVariant loops = object->property("loops");
        EXPECT_FALSE(loops.isValid() && loops.toInt() < 0)
            << object->metaObject()->className() << " loops without end";
    }
}

TEST_F(SkinTest, CoversTheWholeWindow) {
    QQuickItem* skin = player_.Widget()->rootObject();
    EXPECT_EQ(skin->width(), 648);
    EXPECT_EQ(skin->height(), 585);
    EXPECT_EQ(player_.Widget()->size(), QSize(648, 585));
    QQuickItem* well = Item("gridWell");
    ASSERT_NE(well, nullptr);
    EXPECT_TRUE(SceneRect(well).contains(kGridArea));
}

TEST_F(SkinTest, StartButtonFollowsTheLastRunVariableWritten) {
    // A run starts.
    player_.SetVariable("_root.downloadBtn", "0");
    player_.SetVariable("_root.startDownload", "0");
    player_.SetVariable("_root.downloadTab", "0");
    EXPECT_EQ(Click("startStopButton"), Commands{"IDC_FS_stopDownload"});
    // A start refused for an empty list writes only "_root.startDownload".
    player_.SetVariable("_root.startDownload", "1");
    EXPECT_EQ(Click("startStopButton"), Commands{"IDC_FS_startDownload"});
    // A run that ends writes all three.
    player_.SetVariable("_root.startDownload", "0");
    player_.SetVariable("_root.startDownload", "1");
    player_.SetVariable("_root.downloadBtn", "1");
    player_.SetVariable("_root.downloadTab", "1");
    EXPECT_EQ(Click("startStopButton"), Commands{"IDC_FS_startDownload"});
}

TEST_F(SkinTest, VariablesKeepTheirValuesUnderTheirFullNames) {
    const std::vector<std::pair<std::string, std::string>> variables = {
        {"_root.video_url", "http://www.example.com/watch?v=1 "},
        {"_root.download_dir", "/home/zo\xc3\xab/Downloaded Videos"},
        {"_root.autoToDownloadList_CB", "1"},
        {"_root.Download_CB", "1"},
        {"_root.Convert_CB", "1"},
        {"_root.startDownload", "0"},
        {"_root.downloadBtn", "0"},
        {"_root.downloadTab", "0"},
        {"_root.downloadBtnTab", "1"},
        {"_root.aboutTxt", "Version 1.0.0.1\r\nSecond line."},
    };
    for (const auto& [path, value] : variables) player_.SetVariable(path, value);
    for (const auto& [path, value] : variables) EXPECT_EQ(player_.GetVariable(path), value) << path;
    EXPECT_EQ(player_.GetVariable("_root.download_CB"), "") << "names are case-sensitive";
    EXPECT_EQ(player_.GetVariable("_root.unknown"), "");

    EXPECT_EQ(Item("folderText")->property("text").toString(),
              QString::fromUtf8("/home/zo\xc3\xab/Downloaded Videos"));
    EXPECT_EQ(Item("aboutText")->property("text").toString(), "Version 1.0.0.1\nSecond line.");
}

TEST_F(SkinTest, AddressFieldIsTheAddressVariable) {
    player_.Widget()->activateWindow();
    Click("addressField");
    QTest::keyClicks(player_.Widget(), "http://v.example.com/x");
    EXPECT_EQ(player_.GetVariable("_root.video_url"), "http://v.example.com/x");

    listener_.commands.clear();
    QTest::keyClick(player_.Widget(), Qt::Key_Return);
    EXPECT_EQ(listener_.commands, Commands{"IDC_FS_addDownloadURL"});
    // The address stays for the program to read after the command.
    EXPECT_EQ(player_.GetVariable("_root.video_url"), "http://v.example.com/x");

    player_.SetVariable("_root.video_url", "http://copied.example.com/y");
    EXPECT_EQ(Item("addressField")->property("text").toString(), "http://copied.example.com/y");
}

TEST_F(SkinTest, CheckBoxesToggleFromWhatTheProgramWrote) {
    player_.SetVariable("_root.autoToDownloadList_CB", "1");
    EXPECT_EQ(Click("monitorCheck"), Commands{"ID_FS_autoDownloadUncheck"});
    EXPECT_EQ(player_.GetVariable("_root.autoToDownloadList_CB"), "0");
    EXPECT_EQ(Click("monitorCheck"), Commands{"ID_FS_autoDownloadCheck"});
    EXPECT_EQ(player_.GetVariable("_root.autoToDownloadList_CB"), "1");
    player_.SetVariable("_root.keepList_CB", "1");
    EXPECT_EQ(Click("keepListCheck"), Commands{"ID_FS_keepListUncheck"});
    EXPECT_EQ(player_.GetVariable("_root.keepList_CB"), "0");
}

TEST_F(SkinTest, AboutPageCoversTheDownloadControlsAndMarksARunningDownloadTab) {
    const QPointF add_button = SceneRect(Item("IDC_FS_addDownloadURL")).center();
    EXPECT_EQ(Click("IDC_FS_About"), Commands{"IDC_FS_About"});
    QQuickItem* skin = player_.Widget()->rootObject();
    listener_.commands.clear();
    ClickAt(add_button);
    EXPECT_TRUE(listener_.commands.empty());

    player_.SetVariable("_root.downloadBtnTab", "1");
    EXPECT_TRUE(skin->property("downloadTabMarked").toBool());
    EXPECT_EQ(Click("IDC_FS_Download"), Commands{"IDC_FS_Download"});
    EXPECT_FALSE(skin->property("downloadTabMarked").toBool());
    // Written while the Download page is open, it marks nothing.
    player_.SetVariable("_root.downloadBtnTab", "1");
    EXPECT_FALSE(skin->property("downloadTabMarked").toBool());
}

struct BrokenSkinCase {
    const char* test_name;
    const char* file_name; // nullptr: the file does not exist
    const char* content;
};

class BrokenSkinTest : public testing::TestWithParam<BrokenSkinCase> {};

TEST_P(BrokenSkinTest, FailsToLoadWithAReasonAndKeepsNoSkin) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(GetParam().file_name ? GetParam().file_name : "None.qml");
    if (GetParam().file_name) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam().content);
    }

    QmlSkinPlayer player;
    RecordingListener listener;
    player.SetCommandListener(&listener);
    ASSERT_TRUE(player.Load(SkinPath())) << player.LoadError();
    player.SetVariable("_root.video_url", "kept?");

    EXPECT_FALSE(player.Load(path.toStdString()));
    EXPECT_FALSE(player.Loaded());
    EXPECT_NE(player.LoadError().find(path.toStdString()), std::string::npos) << player.LoadError();
    EXPECT_EQ(player.GetVariable("_root.video_url"), "");
    player.SetVariable("_root.video_url", "dropped");
    EXPECT_TRUE(listener.commands.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenSkinTest,
    testing::Values(BrokenSkinCase{"MissingFile", nullptr, ""},
                    BrokenSkinCase{"SyntaxError", "Broken.qml", "import QtQuick\nRectangle {\n"},
                    BrokenSkinCase{"UnknownType", "Unknown.qml",
                                   "import QtQuick\nNoSuchThing { width: 10 }\n"},
                    BrokenSkinCase{"NoCommandSignal", "Mute.qml",
                                   "import QtQuick\nItem {\n"
                                   "  function setVariable(path, value) {}\n"
                                   "  function getVariable(path) { return \"\" }\n}\n"}),
    [](const testing::TestParamInfo<BrokenSkinCase>& info) { return info.param.test_name; });

} // namespace
} // namespace tarnwick::qt
