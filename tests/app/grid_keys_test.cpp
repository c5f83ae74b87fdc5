// The grid's keys, its context menu and the window's keys on the real window,
// offscreen: files open through the desktop's launcher, which the test
// records.
#include "app/tarnwick_app.h"

#include "app/app_test_setup.h"

#include "list/add_video_url.h"
#include "resolve/site_index.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_folder_chooser.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/scripted_message_box.h"
#include "support/play_until.h"
#include "support/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QQuickItem>
#include <QQuickWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::app {

namespace {

using test_support::PlayUntil;

class GridKeysTest : public testing::Test, protected AppTestSetup<> {
protected:
    GridKeysTest() {
        std::filesystem::create_directory(folder.File("home/Downloaded Videos"));
        tarnwick = std::make_unique<TarnwickApp>(overrides);
    }

    QTableView& table() { return *tarnwick->window.Grid().Widget(); }
    std::string Url(int position) { return tarnwick->queue.At(position).page_address; }
    std::string InFolder(const std::string& name) {
        return platform::JoinPath(tarnwick->settings_values.download_dir, name);
    }
    void ListItem(const std::string& address, const std::string& name, list::ItemState state) {
        list::DownloadItem item;
        item.page_address = address;
        item.site = resolve::GetSiteIndex(address);
        item.name_kind = list::NameKind::kNamed;
        item.name = name;
        item.state = state;
        tarnwick->queue.Add(std::move(item));
    }
    // Starts the program with the grid focused in its active window.
    void StartFocused() {
        ASSERT_TRUE(tarnwick->Start());
        tarnwick->window.BringToFront();
        ASSERT_TRUE(PlayUntil([&] { return QApplication::activeWindow() == &tarnwick->window; }));
        table().setFocus();
        ASSERT_TRUE(table().hasFocus());
    }
    void ClickRow(int row) {
        const QRect cell = table().visualRect(table().model()->index(row, 1));
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, cell.center());
    }
    std::vector<int> SelectedRowsOfCells() {
        std::vector<int> rows;
        for (const QModelIndex& index : table().selectionModel()->selectedIndexes()) {
            rows.push_back(index.row());
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::unique_ptr<TarnwickApp> tarnwick;
};

TEST_F(GridKeysTest, EnterOpensTheFileOfTheCompleteItemAClickSelectedWhole) {
    StartFocused();
    test_support::WriteWholeFile(InFolder("clip.mp4"), "video");
    ListItem("http://www.youtube.com/watch?v=1", "clip.mp4", list::ItemState::kComplete);
    ListItem("http://www.youtube.com/watch?v=2", "next.mp4", list::ItemState::kWaiting);
    ClickRow(0);
    EXPECT_EQ(SelectedRowsOfCells(), (std::vector<int>{0, 0, 0, 0, 0})) << "the whole row";
    QTest::keyClick(&table(), Qt::Key_Return);
    EXPECT_EQ(launch.opened, (std::vector<std::string>{InFolder("clip.mp4")}));
    ClickRow(1);
    QTest::keyClick(&table(), Qt::Key_Return);
    EXPECT_EQ(launch.opened.size(), 1u) << "a waiting item has no file to open";
}

TEST_F(GridKeysTest, TheContextMenuHasItsEntriesEnabledAsTheyApply) {
    StartFocused();
    test_support::WriteWholeFile(InFolder("clip.mp4"), "video");
    ListItem("http://www.youtube.com/watch?v=1", "clip.mp4", list::ItemState::kComplete);
    ListItem("http://www.youtube.com/watch?v=2", "next.mp4", list::ItemState::kWaiting);
    const QPoint at = table().visualRect(table().model()->index(0, 2)).center();
    QTest::mousePress(table().viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, table().viewport()->mapToGlobal(at));
    QApplication::sendEvent(table().viewport(), &request);
    QTest::mouseRelease(table().viewport(), Qt::RightButton, {}, at);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> entries;
    QAction* open = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            entries.push_back("-");
            continue;
        }
        entries.push_back(action->text().toStdString() + (action->isEnabled() ? "" : " (off)") +
                          (action->shortcut().isEmpty()
                               ? ""
                               : " " + action->shortcut().toString().toStdString()));
        if (action->text() == "&Open") open = action;
    }
    EXPECT_EQ(entries, (std::vector<std::string>{
                           "&Open Enter", "Show in &folder", "-", "&Retry (off)", "&Start (off)",
                           "S&top (off)", "-", "Re&name F2", "&Quality… (off)",
                           "Move &up (off) Alt+Up", "Move &down Alt+Down", "&Copy address Ctrl+C",
                           "-", "Re&move Del", "Remove and &forget"}));
    ASSERT_NE(open, nullptr);
    open->trigger();
    menu->close();
    EXPECT_EQ(launch.opened, (std::vector<std::string>{InFolder("clip.mp4")}));
}

TEST_F(GridKeysTest, KeysMoveRenameAndPasteOnTheRealWindow) {
    StartFocused();
    for (const char* id : {"1", "2", "3"}) {
        ListItem(std::string("http://www.youtube.com/watch?v=") + id, std::string(id) + ".mp4",
                 list::ItemState::kWaiting);
    }
    ClickRow(0);
    QTest::keyClick(&table(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(&table(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Url(2), "http://www.youtube.com/watch?v=1") << "moved twice";
    EXPECT_EQ(SelectedRowsOfCells(), (std::vector<int>{2, 2, 2, 2, 2}));

    QTest::keyClick(&table(), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(table().indexWidget(table().model()->index(2, 2)));
    ASSERT_NE(editor, nullptr) << "the file name's editor is open";
    EXPECT_EQ(editor->selectedText(), "1") << "the name without its extension";
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_TRUE(table().hasFocus());

    QGuiApplication::clipboard()->setText("http://www.youtube.com/watch?v=4");
    QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(tarnwick->queue.Count(), 4);
    EXPECT_EQ(Url(3), "http://www.youtube.com/watch?v=4");

    // The skin's address field pastes into itself.
    QQuickWidget& skin = *tarnwick->window.Skin().Widget();
    auto* field = skin.rootObject()->findChild<QQuickItem*>("addressField");
    ASSERT_NE(field, nullptr);
    skin.setFocus();
    field->forceActiveFocus();
    QTest::keyClick(&skin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->property("text").toString(), "http://www.youtube.com/watch?v=4");
    EXPECT_EQ(tarnwick->queue.Count(), 4);

    table().setFocus();
    QTest::keyClick(&table(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().count('\n'), 3) << "four addresses";
    QTest::keyClick(&table(), Qt::Key_Delete);
    EXPECT_EQ(tarnwick->queue.Count(), 0);
}

// Alt+A and Alt+X are the window's, and work from the skin's text field too.
TEST_F(GridKeysTest, AltASelectsEveryRowAndAltXClearsTheCompleteItems) {
    StartFocused();
    ListItem("http://www.youtube.com/watch?v=1", "1.mp4", list::ItemState::kComplete);
    ListItem("http://www.youtube.com/watch?v=2", "2.mp4", list::ItemState::kWaiting);
    QQuickWidget& skin = *tarnwick->window.Skin().Widget();
    auto* field = skin.rootObject()->findChild<QQuickItem*>("addressField");
    ASSERT_NE(field, nullptr);
    skin.setFocus();
    field->forceActiveFocus();
    QTest::keyClick(&skin, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(tarnwick->window.Grid().IsRowSelected(0));
    EXPECT_TRUE(tarnwick->window.Grid().IsRowSelected(1));
    QTest::keyClick(&skin, Qt::Key_X, Qt::AltModifier);
    ASSERT_EQ(tarnwick->queue.Count(), 1);
    EXPECT_EQ(Url(0), "http://www.youtube.com/watch?v=2");
    EXPECT_EQ(field->property("text").toString(), "") << "the field took neither key";
}

} // namespace
} // namespace tarnwick::app
