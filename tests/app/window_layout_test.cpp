// The real window offscreen as a user lays it out: resized, maximised and
// restored at the next start, gone through with Tab, and the address field's
// edit menu. Only the desktop's message box, launcher, folder chooser and
// connection test are replaced.
#include "app/tarnwick_app.h"

#include "app/app_test_setup.h"

#include "common/app_info.h"
#include "list/add_video_url.h"
#include "settings/setting_names.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_folder_chooser.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/scripted_message_box.h"
#include "support/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

class WindowLayoutTest : public testing::Test, protected AppTestSetup<> {
protected:
    // A new start of the program, with the settings the last one left.
    void Start() {
        tarnwick.reset();
        tarnwick = std::make_unique<TarnwickApp>(overrides);
        ASSERT_TRUE(tarnwick->Start());
        QCoreApplication::processEvents();
    }
    qt::TarnwickWindow& Window() { return tarnwick->window; }
    QQuickWidget& Skin() { return *Window().Skin().Widget(); }
    QTableView& Table() { return *Window().Grid().Widget(); }
    QQuickItem* SkinItem(const char* name) { return Window().Skin().Item(name); }
    void SkinSends(const char* command) {
        QMetaObject::invokeMethod(Skin().rootObject(), "command", Q_ARG(QString, command),
                                  Q_ARG(QString, QString()));
        QCoreApplication::processEvents();
    }
    QRect InWindow(QQuickItem* item) {
        const QRectF scene = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        return scene.toRect().translated(Skin().mapTo(&Window(), QPoint(0, 0)));
    }
    // The name of the skin's item that has the focus, or of the widget that has it.
    QString FocusedName() {
        QWidget* focused = QApplication::focusWidget();
        if (focused == &Table()) return "grid";
        if (focused != &Skin()) return "elsewhere";
        QQuickItem* item = Skin().quickWindow()->activeFocusItem();
        return item == nullptr ? "nothing" : item->objectName();
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    std::unique_ptr<TarnwickApp> tarnwick;
};

TEST_F(WindowLayoutTest, TheGridLiesOverTheWellAtAnySizeAndTheAddressesTakeTheWidth) {
    Start();
    for (int i = 0; i < 3; ++i) {
        list::AddVideoURL(tarnwick->queue, "http://youtube.com/watch?v=" + std::to_string(i));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(Window().size(), QSize(648, 585));
    EXPECT_EQ(Table().geometry(), QRect(36, 259, 572, 179));
    std::vector<int> widths;
    for (int column = 0; column < 5; ++column) widths.push_back(Table().columnWidth(column));

    Window().resize(1280, 800);
    QCoreApplication::processEvents();
    EXPECT_EQ(Skin().geometry(), QRect(0, 0, 1280, 800));
    EXPECT_EQ(Table().geometry(), QRect(36, 259, 1280 - 76, 800 - 406));
    const QRect well = InWindow(SkinItem("gridWell"));
    EXPECT_TRUE(well.contains(Table().geometry())) << "the grid lies inside the well";
    EXPECT_LE(well.width() - Table().width(), 4) << "and fills it";
    EXPECT_EQ(Table().columnWidth(1), widths[1] + 1280 - 648) << "the addresses take the width";
    for (int column : {0, 2, 3, 4}) EXPECT_EQ(Table().columnWidth(column), widths[column]);

    Window().resize(300, 200);
    EXPECT_EQ(Window().size(), QSize(648, 585)) << "never below the least size";
}

// On a screen smaller than the skin's least size (a desktop scaled up), the
// window never asks for more than the screen's room, so all of it stays in view.
TEST_F(WindowLayoutTest, TheLeastSizeGivesWayToTheScreensRoom) {
    Start();
    const QRect room = Window().screen()->availableGeometry();
    Window().SetSize(room.width() + 300, room.height() + 200);
    EXPECT_EQ(Window().minimumSize(), room.size());
    EXPECT_EQ(Window().size(), room.size());

    Window().SetSize(648, 585);
    EXPECT_EQ(Window().minimumHeight(), 585) << "a least size that fits stays";
}

// At the least size, whatever the desktop's font, every column shows its
// caption whole: the window is wider at 12 pt than its least 648 pixels.
TEST_F(WindowLayoutTest, AtTwelvePointsNoColumnIsNarrowerThanItsCaption) {
    const QFont default_font = QApplication::font();
    for (const int points : {0, 12}) {
        QFont font = default_font;
        if (points > 0) font.setPointSize(points);
        QApplication::setFont(font);
        Start();
        SCOPED_TRACE(Table().font().toString().toStdString());
        Window().resize(1, 1);
        QCoreApplication::processEvents();
        EXPECT_GE(Window().width(), 648);
        EXPECT_EQ(Window().height(), 585);
        EXPECT_EQ(Table().geometry().right(), Window().width() - 41) << "the grid follows";
        const QFontMetrics header(Table().horizontalHeader()->font());
        for (int column = 0; column < 5; ++column) {
            const QString caption = Table().model()->headerData(column, Qt::Horizontal).toString();
            // The section's padding (2 px each side) and its border (1 px).
            EXPECT_GE(Table().columnWidth(column), header.horizontalAdvance(caption) + 5)
                << caption.toStdString();
        }
        int total = 0;
        for (int column = 0; column < 5; ++column) total += Table().columnWidth(column);
        EXPECT_LE(total, Table().viewport()->width()) << "nothing hidden on the right";
    }
    QApplication::setFont(default_font);
}

TEST_F(WindowLayoutTest, PlaceSizeAndMaximisingComeBackAtTheNextStartInsideTheScreen) {
    Start();
    EXPECT_FALSE(Window().isMaximized());
    Window().setGeometry(60, 40, 700, 590);
    SkinSends("IDC_FS_Maximize");
    EXPECT_TRUE(Window().isMaximized());
    EXPECT_TRUE(Skin().rootObject()->property("maximized").toBool()) << "the skin knows";
    SkinSends("IDC_FS_Close");

    Start();
    EXPECT_TRUE(Window().isMaximized());
    EXPECT_EQ(Window().normalGeometry(), QRect(60, 40, 700, 590));
    SkinSends("IDC_FS_Maximize");
    EXPECT_FALSE(Window().isMaximized());
    EXPECT_EQ(Window().geometry(), QRect(60, 40, 700, 590));
    EXPECT_EQ(Table().geometry(), QRect(36, 259, 700 - 76, 590 - 406));
    SkinSends("IDC_FS_Close");

    {
        QSettings stored(SettingsFile(), QSettings::IniFormat);
        stored.setValue(QString("Settings/") + settings::kWindowGeometrySetting,
                        "5000,-300,3000,2000");
    }
    Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(Window().geometry(), screen) << "cut and moved onto the screen";
    EXPECT_FALSE(Window().isMaximized());
}

// Tab goes from the skin's controls into the grid where the skin has its well,
// and on to the skin's next control; Shift+Tab goes back the same way.
TEST_F(WindowLayoutTest, TabGoesThroughTheSkinAndTheGridInReadingOrder) {
    Start();
    list::AddVideoURL(tarnwick->queue, "http://youtube.com/watch?v=1");
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    EXPECT_EQ(FocusedName(), "addressField") << "the window opens with the address field";
    const std::vector<QString> order = {"IDC_FS_addDownloadURL",
                                        "monitorCheck",
                                        "ytDlpCheck",
                                        "IDC_FS_selectAllD",
                                        "IDC_FS_moveUp",
                                        "IDC_FS_moveDown",
                                        "IDC_FS_retryFailedD",
                                        "IDC_FS_removeSelectedD",
                                        "ID_FS_clearComplete",
                                        "grid",
                                        "ID_FS_downloadBrowse",
                                        "startStopButton"};
    for (const QString& name : order) {
        Press(Qt::Key_Tab);
        EXPECT_EQ(FocusedName(), name);
    }
    Press(Qt::Key_Backtab);
    Press(Qt::Key_Backtab);
    EXPECT_EQ(FocusedName(), "grid");
    Press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusedName(), "ID_FS_clearComplete");

    // On the About page the grid is hidden, and Tab passes its place by.
    SkinSends("IDC_FS_About");
    Skin().rootObject()->setProperty("page", "About");
    SkinItem("IDC_FS_About")->forceActiveFocus(Qt::TabFocusReason);
    for (int i = 0; i < 30; ++i) {
        Press(Qt::Key_Tab);
        ASSERT_NE(FocusedName(), "grid");
    }
}

// At the least size the settings panel opens clear of the grid with either
// of its sections, and a number or a browser changed in it from the keyboard
// is stored at once and comes back at the next start.
TEST_F(WindowLayoutTest, TheSettingsPanelClearsTheGridAndWhatIsChangedInItIsStored) {
    Start();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QTest::mouseClick(&Skin(), Qt::LeftButton, {}, InWindow(SkinItem("settingsButton")).center());
    ASSERT_TRUE(SkinItem("settingsPanel")->isVisible());
    EXPECT_FALSE(InWindow(SkinItem("settingsPanel")).intersects(Table().geometry()));
    Press(Qt::Key_Down);
    Press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusedName(), "loginsTab");
    Press(Qt::Key_Space);
    EXPECT_FALSE(InWindow(SkinItem("settingsPanel")).intersects(Table().geometry()));
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusedName(), "cookiesFromBox");
    Press(Qt::Key_Down);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(SkinItem("settingsPanel")->isVisible());
    SkinSends("IDC_FS_Close");

    const QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QString("Settings/") + settings::kConnectionsSetting), "3");
    EXPECT_EQ(stored.value(QString("Settings/") + settings::kCookiesFromSetting), "firefox");
    Start();
    EXPECT_EQ(SkinItem("connectionsBox")->property("value").toInt(), 3);
    EXPECT_EQ(SkinItem("cookiesFromBox")->property("displayText").toString(), "Firefox");
}

TEST_F(WindowLayoutTest, TheAddressFieldHasTheUsualEditMenuAndTheRestOfTheSkinNone) {
    Start();
    QQuickItem* field = SkinItem("addressField");
    ASSERT_NE(field, nullptr);
    const auto menu_at = [&](QPoint position) -> QMenu* {
        QContextMenuEvent event(QContextMenuEvent::Mouse, position, Skin().mapToGlobal(position));
        QCoreApplication::sendEvent(&Skin(), &event);
        QMenu* menu = nullptr;
        for (QMenu* shown : Window().findChildren<QMenu*>()) {
            if (shown->isVisible()) menu = shown;
        }
        return menu;
    };
    const auto entries = [](QMenu* menu) {
        std::vector<std::string> texts;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            texts.push_back(action->text().toStdString() + (action->isEnabled() ? "" : " (off)"));
        }
        return texts;
    };
    const QPoint on_field = InWindow(field).center();

    QGuiApplication::clipboard()->setText("http://copied.example/v");
    QMenu* menu = menu_at(on_field);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(entries(menu), (std::vector<std::string>{"Cu&t (off)", "&Copy (off)", "&Paste",
                                                       "Select &All (off)"}));
    menu->actions()[2]->trigger();
    menu->close();
    EXPECT_EQ(field->property("text").toString(), "http://copied.example/v");

    menu = menu_at(on_field);
    ASSERT_NE(menu, nullptr);
    menu->actions()[4]->trigger(); // Select All
    menu->close();
    menu = menu_at(on_field);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(entries(menu), (std::vector<std::string>{"Cu&t", "&Copy", "&Paste", "Select &All"}));
    menu->actions()[0]->trigger(); // Cut
    menu->close();
    EXPECT_EQ(field->property("text").toString(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "http://copied.example/v");
    QCoreApplication::processEvents(QEventLoop::AllEvents);

    const QPoint on_well = InWindow(SkinItem("gridWell")).topLeft() + QPoint(1, 1);
    EXPECT_EQ(menu_at(on_well), nullptr) << "elsewhere the skin has no menu";
    EXPECT_EQ(menu_at(InWindow(SkinItem("IDC_FS_Help")).center()), nullptr);
}

TEST_F(WindowLayoutTest, TheHelpPageNamesTheProgramsVersionAndEveryStoredSetting) {
    QFile help(QString(TARNWICK_PROGRAM_DIR) + "/Help.html");
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    EXPECT_TRUE(text.contains(QString("Tarnwick ") + kVersionText + " downloads"));
    EXPECT_FALSE(text.contains("@PROJECT_VERSION@"));
    for (const char* setting :
         {settings::kMonitorSetting, settings::kDownloadDirSetting, settings::kKeepListSetting,
          settings::kOtherSitesSetting, settings::kNotifySetting, settings::kUseYtDlpSetting,
          settings::kConnectionsSetting, settings::kDownloadsAtOnceSetting,
          settings::kSpeedLimitSetting, settings::kCookiesFromSetting, settings::kCookieFileSetting,
          settings::kQualitySetting, settings::kFormatSetting, settings::kWindowGeometrySetting,
          settings::kWindowMaximizedSetting, settings::kColumnWidthsSetting}) {
        EXPECT_TRUE(text.contains(QString("<code>") + setting + "</code>")) << setting;
    }
}

} // namespace
} // namespace tarnwick::app
