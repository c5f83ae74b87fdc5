#include "qt/qml_skin_player.h"

#include <QFile>
#include <QQuickItem>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>
#include <ostream>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::qt {
namespace {

std::string SkinPath() { return TARNWICK_SKIN_DIR "/Main.qml"; }

// Where the program lays the download grid over the skin.
const QRectF kGridArea(36, 259, 572, 179);

class RecordingListener : public platform::SkinCommandListener,
                          public platform::SkinLayoutListener {
public:
    void OnSkinCommand(const std::string& command, const std::string& args) override {
        commands.push_back(command);
        if (!args.empty()) non_empty_args.push_back(args);
    }
    void OnGridAreaChanged() override { ++grid_area_changes; }
    std::vector<std::string> commands;
    std::vector<std::string> non_empty_args;
    int grid_area_changes = 0;
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

    // The name of the item with the keyboard's focus, or of the nearest named
    // item it lies in.
    QString FocusedName() const {
        for (QQuickItem* item = player_.Widget()->quickWindow()->activeFocusItem(); item != nullptr;
             item = item->parentItem()) {
            if (!item->objectName().isEmpty()) return item->objectName();
        }
        return "nothing";
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

void PrintTo(const ButtonCase& c, std::ostream* out) { *out << c.test_name; }

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
    testing::Values(ButtonCase{"Minimize", "IDC_FS_Minimize", "IDC_FS_Minimize"},
                    ButtonCase{"Maximize", "IDC_FS_Maximize", "IDC_FS_Maximize"},
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
                    ButtonCase{"YtDlpWhenOff", "ytDlpCheck", "ID_FS_ytDlpCheck"},
                    ButtonCase{"StartWhenIdle", "startStopButton", "IDC_FS_startDownload"},
                    ButtonCase{"MonitorWhenOff", "monitorCheck", "ID_FS_autoDownloadCheck"}),
    [](const testing::TestParamInfo<ButtonCase>& info) { return info.param.test_name; });

// Everything that moves in the skin follows one beat, which runs only while
// a run is under way and the window can be seen; nothing loops on its own.
TEST_F(SkinTest, RestsUnlessBusyAndSeen) {
    EXPECT_FALSE(player_.Beating()) << "idle";
    player_.SetVariable("_root.startDownload", "0");
    EXPECT_TRUE(player_.Beating()) << "a run is under way";
    player_.Widget()->showMinimized();
    EXPECT_FALSE(player_.Beating()) << "minimised";
    player_.Widget()->showNormal();
    EXPECT_TRUE(player_.Beating());
    QObject* skin = player_.Widget()->rootObject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return skin->property("beat").toInt() > 0; }));
    player_.Widget()->hide();
    EXPECT_FALSE(player_.Beating()) << "hidden, in the tray";
    EXPECT_EQ(skin->property("beat").toInt(), 0);
    player_.Widget()->show();
    player_.SetVariable("_root.startDownload", "1");
    EXPECT_FALSE(player_.Beating()) << "idle again";
    for (QObject* object : player_.Widget()->rootObject()->findChildren<QObject*>()) {
        const QVariant loops = object->property("loops");
        EXPECT_FALSE(loops.isValid() && loops.toInt() < 0)
            << object->metaObject()->className() << " loops without end";
    }
}

// The skin's drawings are SVG files beside it, one per shape and tone: each
// must be found and read (through Qt's SVG image plugin) in every state that
// picks another, the window buttons under the mouse among them.
TEST_F(SkinTest, EveryDrawingLoadsInEveryState) {
    QQuickWidget* view = player_.Widget();
    std::set<QString> shown;
    const auto check = [&](const char* state) {
        for (QQuickItem* item : view->rootObject()->findChildren<QQuickItem*>()) {
            const QString source = item->property("source").toString();
            if (!item->inherits("QQuickImage") || source.isEmpty()) continue;
            shown.insert(source);
            EXPECT_EQ(item->property("status").toInt(), 1) << source.toStdString() << " " << state;
        }
    };
    check("at rest");
    player_.SetVariable("_root.startDownload", "0");
    view->rootObject()->setProperty("maximized", true);
    check("running, maximised");
    for (const char* name : {"IDC_FS_Minimize", "IDC_FS_Maximize", "IDC_FS_Tray", "IDC_FS_Close"}) {
        QTest::mouseMove(view, SceneRect(Item(name)).center().toPoint());
        check(name);
    }
    EXPECT_GE(shown.size(), 20u) << "the drawings were found in the skin";
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

// The title bar sends the drag only once the mouse has moved with the button
// down, so that a double click can reach it and maximise the window.
TEST_F(SkinTest, TheTitleBarDragsOnceTheMouseMovesAndMaximisesOnADoubleClick) {
    QQuickWidget* view = player_.Widget();
    const QPoint at = SceneRect(Item("IDC_FS_Drag")).center().toPoint();
    QTest::mousePress(view, Qt::LeftButton, {}, at);
    EXPECT_TRUE(listener_.commands.empty());
    QTest::mouseMove(view, at + QPoint(12, 0));
    QTest::mouseMove(view, at + QPoint(24, 0));
    EXPECT_EQ(listener_.commands, Commands{"IDC_FS_Drag"}) << "once a drag";
    QTest::mouseRelease(view, Qt::LeftButton, {}, at + QPoint(24, 0));
    listener_.commands.clear();
    QTest::mouseDClick(view, Qt::LeftButton, {}, at);
    EXPECT_EQ(listener_.commands, Commands{"IDC_FS_Maximize"});
}

TEST_F(SkinTest, ItsBordersResizeTheWindowUnlessItIsMaximised) {
    const std::vector<std::pair<const char*, const char*>> borders = {
        {"resizeLeft", "left"},
        {"resizeRight", "right"},
        {"resizeTop", "top"},
        {"resizeBottom", "bottom"},
        {"resizeTopLeft", "top left"},
        {"resizeTopRight", "top right"},
        {"resizeBottomLeft", "bottom left"},
        {"resizeBottomRight", "bottom right"}};
    for (const auto& [name, edges] : borders) {
        listener_.non_empty_args.clear();
        EXPECT_EQ(Click(name), Commands{"IDC_FS_Resize"}) << name;
        EXPECT_EQ(listener_.non_empty_args, std::vector<std::string>{edges});
    }
    QQuickItem* skin = player_.Widget()->rootObject();
    EXPECT_EQ(Item("IDC_FS_Maximize")->property("tip").toString(), "Maximise");
    skin->setProperty("maximized", true);
    for (const auto& [name, edges] : borders) EXPECT_FALSE(Item(name)->isVisible()) << name;
    EXPECT_EQ(Item("IDC_FS_Maximize")->property("tip").toString(), "Restore the window's size");
}

// The controls along the window's edges keep their distance from them, those
// at the top left keep their place, and the well takes the room gained.
TEST_F(SkinTest, FollowsTheWindowsSizeAndTellsWhereTheGridGoes) {
    player_.SetLayoutListener(&listener_);
    EXPECT_EQ(player_.GridArea(), (platform::Rect{36, 259, 572, 179}));
    QQuickItem* skin = player_.Widget()->rootObject();
    const auto right_gap = [&](const char* name) {
        return skin->width() - SceneRect(Item(name)).right();
    };
    const auto bottom_gap = [&](const char* name) {
        return skin->height() - SceneRect(Item(name)).bottom();
    };
    const std::vector<const char*> at_right = {
        "IDC_FS_Close",        "settingsButton",  "settingsPanel", "IDC_FS_addDownloadURL",
        "ID_FS_clearComplete", "startStopButton", "resizeRight",   "ytDlpCheck"};
    const std::vector<const char*> at_bottom = {"startStopButton", "ID_FS_downloadBrowse",
                                                "keepListCheck",   "otherSitesCheck",
                                                "statusText",      "resizeBottom"};
    const std::vector<const char*> at_top_left = {"IDC_FS_Download", "addressField",
                                                  "monitorCheck"};
    std::vector<qreal> right_gaps, bottom_gaps;
    std::vector<QPointF> places;
    for (const char* name : at_right) right_gaps.push_back(right_gap(name));
    for (const char* name : at_bottom) bottom_gaps.push_back(bottom_gap(name));
    for (const char* name : at_top_left) places.push_back(SceneRect(Item(name)).topLeft());
    const qreal address_width = SceneRect(Item("addressField")).width();

    player_.Widget()->resize(1280, 800);
    EXPECT_EQ(skin->width(), 1280);
    EXPECT_GT(listener_.grid_area_changes, 0);
    const platform::Rect area{36, 259, 1280 - 76, 800 - 406};
    EXPECT_EQ(player_.GridArea(), area);
    for (size_t i = 0; i < at_right.size(); ++i) {
        EXPECT_EQ(right_gap(at_right[i]), right_gaps[i]) << at_right[i];
    }
    for (size_t i = 0; i < at_bottom.size(); ++i) {
        EXPECT_EQ(bottom_gap(at_bottom[i]), bottom_gaps[i]) << at_bottom[i];
    }
    for (size_t i = 0; i < at_top_left.size(); ++i) {
        EXPECT_EQ(SceneRect(Item(at_top_left[i])).topLeft(), places[i]) << at_top_left[i];
    }
    EXPECT_EQ(SceneRect(Item("addressField")).width(), address_width + 1280 - 648);
    const QRectF grid(area.left, area.top, area.width, area.height);
    EXPECT_TRUE(SceneRect(Item("gridWell")).contains(grid));
    for (const char* name : {"IDC_FS_selectAllD", "ID_FS_downloadBrowse", "startStopButton",
                             "keepListCheck", "IDC_FS_addDownloadURL", "monitorCheck"}) {
        EXPECT_FALSE(SceneRect(Item(name)).intersects(grid)) << name;
    }
}

// Tab goes through the controls in reading order, passing the grid's place,
// and each shows a frame while it has the focus.
TEST_F(SkinTest, TabFollowsTheReadingOrderThroughTheGridsPlace) {
    QQuickWidget* view = player_.Widget();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    QQuickWindow* window = view->quickWindow();
    ASSERT_NE(window->activeFocusItem(), nullptr);
    EXPECT_EQ(window->activeFocusItem()->objectName(), "addressField") << "first";
    const std::vector<QString> order = {"IDC_FS_addDownloadURL",
                                        "monitorCheck",
                                        "ytDlpCheck",
                                        "IDC_FS_selectAllD",
                                        "IDC_FS_moveUp",
                                        "IDC_FS_moveDown",
                                        "IDC_FS_retryFailedD",
                                        "IDC_FS_removeSelectedD",
                                        "ID_FS_clearComplete",
                                        "gridFocusSlot",
                                        "ID_FS_downloadBrowse",
                                        "startStopButton",
                                        "keepListCheck",
                                        "otherSitesCheck",
                                        "IDC_FS_Minimize",
                                        "IDC_FS_Maximize",
                                        "IDC_FS_Tray",
                                        "IDC_FS_Close",
                                        "IDC_FS_Download",
                                        "IDC_FS_History",
                                        "IDC_FS_About",
                                        "IDC_FS_Help",
                                        "ID_FS_webSite",
                                        "settingsButton",
                                        "addressField"};
    for (const QString& name : order) {
        QTest::keyClick(view, Qt::Key_Tab);
        ASSERT_NE(window->activeFocusItem(), nullptr);
        EXPECT_EQ(window->activeFocusItem()->objectName(), name);
    }
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(window->activeFocusItem()->objectName(), "settingsButton");
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(window->activeFocusItem()->objectName(), "ID_FS_webSite");

    // The focused button shows its frame, and Space presses it.
    QQuickItem* help = Item("IDC_FS_Help");
    QTest::keyClick(view, Qt::Key_Backtab);
    ASSERT_EQ(window->activeFocusItem(), help);
    bool framed = false;
    for (QQuickItem* child : help->childItems()) {
        if (child->isVisible() && child->width() > help->width()) framed = true;
    }
    EXPECT_TRUE(framed);
    listener_.commands.clear();
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(listener_.commands, Commands{"IDC_FS_Help"});
}

// The settings panel opens between the tabs and the grid's well with the
// focus in its first box; a box the user changes writes its variable, then
// sends its command, and follows what the program writes back.
TEST_F(SkinTest, TheSettingsPanelSetsTheTransferNumbersFromTheKeyboard) {
    QQuickWidget* view = player_.Widget();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    player_.SetVariable("_root.connections_NS", "4");
    player_.SetVariable("_root.downloadsAtOnce_NS", "1");
    player_.SetVariable("_root.speedLimit_NS", "0");
    QQuickItem* panel = Item("settingsPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(Click("settingsButton"), Commands{});
    ASSERT_TRUE(panel->isVisible());
    EXPECT_FALSE(SceneRect(panel).intersects(kGridArea));
    EXPECT_TRUE(QRectF(0, 0, 648, 585).contains(SceneRect(panel)));
    EXPECT_EQ(FocusedName(), "connectionsBox");
    EXPECT_EQ(Item("speedLimitBox")->property("displayText").toString(), "No limit");

    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(listener_.commands, Commands{"ID_FS_connectionsChange"});
    EXPECT_EQ(player_.GetVariable("_root.connections_NS"), "5");
    player_.SetVariable("_root.connections_NS", "8");
    EXPECT_EQ(Item("connectionsBox")->property("value").toInt(), 8);

    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(FocusedName(), "downloadsAtOnceBox");
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(FocusedName(), "speedLimitBox");
    listener_.commands.clear();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(view, "250");
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(listener_.commands, Commands{"ID_FS_speedLimitChange"});
    EXPECT_EQ(player_.GetVariable("_root.speedLimit_NS"), "250");

    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(FocusedName(), "settingsButton");
    // A press elsewhere closes the panel and reaches what lies there.
    Click("settingsButton");
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(Click("IDC_FS_Help"), Commands{"IDC_FS_Help"});
    EXPECT_FALSE(panel->isVisible());
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
        {"_root.ytDlpTxt", "yt-dlp 2023.03.04 (/usr/bin/yt-dlp)"},
    };
    for (const auto& [path, value] : variables) player_.SetVariable(path, value);
    for (const auto& [path, value] : variables) EXPECT_EQ(player_.GetVariable(path), value) << path;
    EXPECT_EQ(player_.GetVariable("_root.download_CB"), "") << "names are case-sensitive";
    EXPECT_EQ(player_.GetVariable("_root.unknown"), "");

    EXPECT_EQ(Item("folderText")->property("text").toString(),
              QString::fromUtf8("/home/zo\xc3\xab/Downloaded Videos"));
    EXPECT_EQ(Item("aboutText")->property("text").toString(), "Version 1.0.0.1\nSecond line.");
    EXPECT_EQ(Item("ytDlpText")->property("text").toString(),
              "yt-dlp 2023.03.04 (/usr/bin/yt-dlp)");
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
    player_.SetVariable("_root.ytDlp_CB", "1");
    EXPECT_EQ(Click("ytDlpCheck"), Commands{"ID_FS_ytDlpUncheck"});
    EXPECT_EQ(player_.GetVariable("_root.ytDlp_CB"), "0");
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

TEST_F(SkinTest, ThePageVariableOpensAPageAsItsTabDoes) {
    QQuickItem* skin = player_.Widget()->rootObject();
    player_.SetVariable("_root.page", "About");
    EXPECT_EQ(skin->property("page").toString(), "About");
    player_.SetVariable("_root.page", "About");
    EXPECT_EQ(listener_.commands, Commands{"IDC_FS_About"}) << "once, as the page was closed";
}

struct BrokenSkinCase {
    const char* test_name;
    const char* file_name; // nullptr: the file does not exist
    const char* content;
};

void PrintTo(const BrokenSkinCase& c, std::ostream* out) { *out << c.test_name; }

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
