// The real program's window, offscreen: only the message box, the desktop's
// launcher, folder chooser and connection test are replaced, and the video
// sites are a loopback server.
#include "app/tarnwick_app.h"

#include "app/app_test_setup.h"

#include "list/add_video_url.h"
#include "list/item_texts.h"
#include "qt/cell_delegate.h"
#include "resolve/site_index.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_folder_chooser.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/scripted_message_box.h"
#include "support/loopback_server.h"
#include "support/play_until.h"
#include "support/served_file.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocalSocket>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace tarnwick::app {
namespace {

// Counts the input events that reach the skin's view past the program's filter.
class InputSpy : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyPress ||
            event->type() == QEvent::ContextMenu) {
            ++seen;
        }
        return false;
    }
    int seen = 0;
};

// Runs `work` inside the event processing of whatever long call is under
// way, once `ready` holds.
void WhenReady(std::function<bool()> ready, std::function<void()> work) {
    QMetaObject::invokeMethod(
        qApp,
        [ready, work] {
            if (ready()) {
                work();
            } else {
                WhenReady(ready, work);
            }
        },
        Qt::QueuedConnection);
}

using test_support::PlayUntil;

// The item's transfer has reached `percent` per cent.
bool Transferring(const list::DownloadQueue& queue, int position, int percent = 0) {
    if (position >= queue.Count()) return false;
    const std::optional<int32_t> shown = list::ProgressPercent(queue.At(position));
    return shown && *shown >= percent;
}

class TarnwickAppTest : public testing::Test, protected AppTestSetup<> {
protected:
    TarnwickAppTest() {
        tarnwick = std::make_unique<TarnwickApp>(overrides);
        skin().installEventFilter(&spy);
    }

    QQuickWidget& skin() { return *tarnwick->window.Skin().Widget(); }
    QTableView& table() { return *tarnwick->window.Grid().Widget(); }
    std::string Var(const char* path) { return tarnwick->window.Skin().GetVariable(path); }
    // The text the skin's status line shows.
    std::string StatusLineShown() {
        auto* line = skin().rootObject()->findChild<QQuickItem*>("statusText");
        return line == nullptr ? "(none)" : line->property("text").toString().toStdString();
    }
    // The skin sends a command, as its buttons do.
    void SkinSends(const char* command) {
        QMetaObject::invokeMethod(skin().rootObject(), "command", Q_ARG(QString, command),
                                  Q_ARG(QString, QString()));
    }
    const list::DownloadQueue& Queue() { return tarnwick->queue; }
    std::string Url(int position) { return Queue().At(position).page_address; }
    std::string Status(int position) { return list::StatusText(Queue().At(position)); }
    std::string FileName(int position) { return list::FileNameText(Queue().At(position)); }
    // Lists an item as a former run left it.
    void ListItem(const std::string& address, const std::string& name, list::ItemState state) {
        list::DownloadItem item;
        item.page_address = address;
        item.site = resolve::GetSiteIndex(address);
        item.name_kind = list::NameKind::kNamed;
        item.name = name;
        item.state = state;
        tarnwick->queue.Add(std::move(item));
    }
    // Thirty-two complete items, five failed ones, one downloading, one
    // waiting and one of no supported site.
    void ListFortyItems() {
        const auto failed = [&](const std::string& id, Failure failure, int64_t received = 0,
                                int64_t total = 0) {
            ListItem("http://www.putfile.com/" + id, id + ".flv", list::ItemState::kFailed);
            tarnwick->queue.Modify(Queue().LastKey(), [&](list::DownloadItem& item) {
                item.rare->failure = failure;
                item.received = received;
                item.size_kind = total > 0 ? list::SizeKind::kKnown : list::SizeKind::kNotProbed;
                item.total_size = total;
            });
        };
        for (int i = 1; i <= 32; ++i) {
            ListItem("http://www.youtube.com/watch?v=clip" + std::to_string(i),
                     "clip" + std::to_string(i) + ".flv", list::ItemState::kComplete);
        }
        failed("gone", {Reason::kPageNotFetched, 404, {}});
        failed("missing", {Reason::kVideoNotFound, 404, {}});
        failed("login", {Reason::kHtmlInsteadOfVideo, 200, {}});
        failed("cut", {Reason::kConnectionLost, 200, {}}, 2000000, 5000000);
        failed("full", {Reason::kDiskFull, 0, {}}, 1500000, 0);
        ListItem("http://www.putfile.com/now", "now.flv", list::ItemState::kDownloading);
        tarnwick->queue.Modify(Queue().LastKey(), [](list::DownloadItem& item) {
            item.size_kind = list::SizeKind::kKnown;
            item.total_size = 1073636966;
            item.received = 450000000;
        });
        list::AddVideoURL(tarnwick->queue, "http://www.dailymotion.com/video/waiting");
        list::AddVideoURL(tarnwick->queue, "http://example.org/watch/elsewhere");
        ASSERT_EQ(Queue().Count(), 40);
    }
    // Keeps a picture of the window beside the test, once the skin has drawn
    // itself twice more (its drawn glyphs take a frame of their own).
    void SavePicture(const QString& name) {
        int frames = 0;
        const QMetaObject::Connection counting = QObject::connect(
            skin().quickWindow(), &QQuickWindow::afterRendering, [&] { ++frames; });
        PlayUntil([&] {
            skin().quickWindow()->update();
            return frames >= 2;
        });
        QObject::disconnect(counting);
        QDir().mkpath(QString::fromUtf8(TARNWICK_ARTIFACT_DIR));
        tarnwick->window.grab().save(QString::fromUtf8(TARNWICK_ARTIFACT_DIR) + "/" + name);
    }
    // Lets the event loop run until the run is over.
    void WaitForTheRunToEnd() {
        EXPECT_TRUE(PlayUntil([this] { return !tarnwick->run.IsRunning(); }));
    }
    std::string PutFilePage(const std::string& id, test_support::Answer video) {
        server.Serve("/putfile.com/" + id,
                     test_support::Answer::Http(
                         200, "OK", {}, "<a href='" + server.Url("/v/" + id + ".flv") + "'>"));
        server.Serve("/v/" + id + ".flv", std::move(video));
        return server.Url("/putfile.com/" + id);
    }

    test_support::LoopbackServer server;
    InputSpy spy;
    std::unique_ptr<TarnwickApp> tarnwick;
};

TEST_F(TarnwickAppTest, StartsUpWithItsLayoutSettingsAndSkinVariables) {
    ASSERT_TRUE(tarnwick->Start());
    qt::TarnwickWindow& window = tarnwick->window;
    EXPECT_EQ(window.windowTitle(), "Tarnwick");
    EXPECT_EQ(window.size(), QSize(648, 585));
    EXPECT_EQ(skin().geometry(), QRect(0, 0, 648, 585));
    EXPECT_EQ(table().geometry(), QRect(36, 259, 572, 179));
    EXPECT_TRUE(table().isVisible());
    EXPECT_EQ(Var("_root.aboutTxt").substr(0, 17), "Version 1.0.0.1\r\n");
    EXPECT_EQ(Var("_root.autoToDownloadList_CB"), "1");
    EXPECT_EQ(Var("_root.Download_CB"), "1");
    EXPECT_EQ(Var("_root.Convert_CB"), "1");
    EXPECT_EQ(Var("_root.ytDlp_CB"), "1");
    EXPECT_TRUE(Var("_root.ytDlpTxt").starts_with("yt-dlp")) << "whether installed or not";
    EXPECT_EQ(Var("_root.download_dir"), folder.File("home") + "/Downloaded Videos");
    ASSERT_EQ(launch.launches.size(), 1u) << "the clipboard watcher starts with the monitor on";
    EXPECT_EQ(launch.launches[0].program, std::string(TARNWICK_PROGRAM_DIR) + "/tarnwick-clip");
    EXPECT_EQ(launch.launches[0].arguments,
              (std::vector<std::string>{tarnwick->channel.Address()}));
    EXPECT_FALSE(skin().rootObject()->property("running").toBool());
}

TEST_F(TarnwickAppTest, AnAddressDeliveredByTheWatcherIsListedAndStartsARun) {
    ASSERT_TRUE(tarnwick->Start());
    QLocalSocket watcher;
    watcher.connectToServer(QString::fromStdString(tarnwick->channel.Address()));
    ASSERT_TRUE(watcher.waitForConnected(5000));
    watcher.write("http://www.youtube.com/watch?v=copied\n");
    ASSERT_TRUE(watcher.waitForBytesWritten(5000));
    ASSERT_TRUE(PlayUntil([this] { return !Queue().IsEmpty(); }));
    ASSERT_EQ(Queue().Count(), 1);
    EXPECT_EQ(Url(0), "http://www.youtube.com/watch?v=copied");
    EXPECT_EQ(Var("_root.video_url"), "http://www.youtube.com/watch?v=copied");
    EXPECT_TRUE(tarnwick->run_commands.StartPending()) << "a run starts 200 ms later";
}

TEST_F(TarnwickAppTest, SkinCommandsReachTheProgramByExactName) {
    ASSERT_TRUE(tarnwick->Start());
    tarnwick->window.Skin().SetVariable("_root.video_url", "   ");
    SkinSends("IDC_FS_addDownloadURL");
    EXPECT_TRUE(Queue().IsEmpty());
    tarnwick->window.Skin().SetVariable("_root.video_url", " http://youtube.com/watch?v=1 ");
    SkinSends("idc_fs_addDownloadURL");
    EXPECT_TRUE(Queue().IsEmpty());
    SkinSends("IDC_FS_addDownloadURL");
    ASSERT_EQ(Queue().Count(), 1);
    EXPECT_EQ(Url(0), "http://youtube.com/watch?v=1") << "listed without the blanks";
    EXPECT_EQ(table().model()->rowCount(), 1);
    tarnwick->window.Skin().SetVariable("_root.video_url", "http://youtube.com/watch?v=1");
    SkinSends("IDC_FS_addDownloadURL");
    EXPECT_EQ(Queue().Count(), 1);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(Var("_root.statusTxt"), "This address is already in the list, as item 1");
    EXPECT_EQ(StatusLineShown(), "This address is already in the list, as item 1");

    SkinSends("IDC_FS_About");
    EXPECT_FALSE(table().isVisible());
    SkinSends("IDC_FS_Download");
    EXPECT_TRUE(table().isVisible());
    SkinSends("IDC_FS_Help");
    EXPECT_EQ(launch.opened.back(), std::string(TARNWICK_PROGRAM_DIR) + "/Help.html");
    SkinSends("ID_FS_webSite");
    EXPECT_EQ(launch.opened.back(), std::string(TARNWICK_PROGRAM_DIR) + "/Help.html#about");
    chooser.answer = folder.File("chosen");
    std::filesystem::create_directory(chooser.answer);
    SkinSends("ID_FS_downloadBrowse");
    EXPECT_EQ(Var("_root.download_dir"), folder.File("chosen"));
    EXPECT_EQ(tarnwick->settings_values.download_dir, folder.File("chosen"));
    SkinSends("ID_FS_autoDownloadUncheck");
    EXPECT_FALSE(tarnwick->settings_values.monitor_enabled);
    EXPECT_EQ(launch.launches.back().arguments, (std::vector<std::string>{"Exit"}));
}

TEST_F(TarnwickAppTest, ToTrayHidesTheWindowOnlyWhereThereIsATray) {
    ASSERT_TRUE(tarnwick->Start());
    SkinSends("IDC_FS_Tray");
    EXPECT_TRUE(tarnwick->window.isVisible()) << "the offscreen desktop has no tray";
    EXPECT_TRUE(tarnwick->window.isMinimized());

    tarnwick.reset();
    overrides.tray_available = [] { return true; };
    tarnwick = std::make_unique<TarnwickApp>(overrides);
    ASSERT_TRUE(tarnwick->Start());
    SkinSends("IDC_FS_Tray");
    EXPECT_FALSE(tarnwick->window.isVisible());
    tarnwick->tray_menu.OnTrayButton(2);
    EXPECT_FALSE(tarnwick->window.isVisible()) << "a right click only opens the menu";
    tarnwick->tray_menu.OnTrayButton(1);
    EXPECT_TRUE(tarnwick->window.isVisible());
}

TEST_F(TarnwickAppTest, GridCommandsWorkOnRealSelectionsAndEdits) {
    ASSERT_TRUE(tarnwick->Start());
    for (const char* status : {"Complete", "Waiting", "Complete", "Waiting"}) {
        ListItem(
            std::string("http://youtube.com/watch?v=") + status + std::to_string(Queue().Count()),
            "f.flv",
            std::string(status) == "Complete" ? list::ItemState::kComplete
                                              : list::ItemState::kWaiting);
    }
    SkinSends("ID_FS_clearComplete");
    ASSERT_EQ(Queue().Count(), 2);
    EXPECT_EQ(Url(0), "http://youtube.com/watch?v=Waiting1");

    QAbstractItemModel* model = table().model();
    table().selectionModel()->select(model->index(1, 1), QItemSelectionModel::Select);
    SkinSends("IDC_FS_moveUp");
    EXPECT_EQ(Url(0), "http://youtube.com/watch?v=Waiting3");
    EXPECT_TRUE(table().selectionModel()->isRowSelected(0)) << "the moved item stays selected";

    table().selectionModel()->clearSelection();
    SkinSends("IDC_FS_selectAllD");
    SkinSends("IDC_FS_moveDown");
    EXPECT_EQ(Url(0), "http://youtube.com/watch?v=Waiting3")
        << "whole rows selected without a cell move nothing";

    EXPECT_TRUE(model->setData(model->index(0, 2), "a:b*c"));
    EXPECT_EQ(model->index(0, 2).data().toString(), "abc.flv") << "the type stays";
    EXPECT_EQ(FileName(0), "abc.flv");
    EXPECT_FALSE(model->setData(model->index(0, 2), "???"));
    EXPECT_EQ(FileName(0), "abc.flv");

    table().selectionModel()->select(model->index(1, 2), QItemSelectionModel::Select);
    table().selectionModel()->select(model->index(1, 4), QItemSelectionModel::Select);
    SkinSends("IDC_FS_removeSelectedD");
    ASSERT_EQ(Queue().Count(), 1);
    EXPECT_EQ(FileName(0), "abc.flv");
}

TEST_F(TarnwickAppTest, WheelOverTheGridScrollsOneRowAndRightClicksNeverReachTheSkin) {
    ASSERT_TRUE(tarnwick->Start());
    for (int i = 0; i < 40; ++i)
        list::AddVideoURL(tarnwick->queue, "http://youtube.com/" + std::to_string(i));
    QCoreApplication::processEvents(); // the grid lays its new rows out
    QScrollBar* bar = table().verticalScrollBar();
    bar->setValue(10);
    const QPointF at(10, 10);
    const auto wheel = [&](QPoint delta) {
        QWheelEvent event(at, at, {}, delta, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(table().viewport(), &event);
    };
    ASSERT_FALSE(table().hasFocus());
    wheel({0, 240});
    EXPECT_EQ(bar->value(), 9) << "the pointer decides, not the focus";
    table().setFocus();
    tarnwick->window.activateWindow();
    ASSERT_TRUE(table().hasFocus());
    wheel({0, -30});
    wheel({0, -30});
    EXPECT_EQ(bar->value(), 11);
    wheel({120, 0});
    wheel({-120, 0});
    EXPECT_EQ(bar->value(), 11) << "a tilt sideways scrolls nothing";

    const auto press = [&](Qt::MouseButton button, QEvent::Type type) {
        QMouseEvent event(type, at, at, button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(&skin(), &event);
    };
    const auto key = [&](int code) {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QCoreApplication::sendEvent(&skin(), &event);
    };
    spy.seen = 0;
    press(Qt::RightButton, QEvent::MouseButtonPress);
    key(Qt::Key_Menu);
    EXPECT_EQ(spy.seen, 0);
    press(Qt::RightButton, QEvent::MouseButtonRelease);
    press(Qt::LeftButton, QEvent::MouseButtonPress);
    key(Qt::Key_A);
    EXPECT_EQ(spy.seen, 3);
}

TEST_F(TarnwickAppTest, ARunShowsItsStateAndAnExitDuringItEndsTheTransferCleanly) {
    ASSERT_TRUE(tarnwick->Start());
    std::string body(300000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = test_support::GeneratedByte(i);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\n";
    list::AddVideoURL(tarnwick->queue, PutFilePage("1", test_support::Answer()
                                                            .Head(head)
                                                            .Body(body.substr(0, 100000))
                                                            .WaitForRelease()
                                                            .Body(body.substr(100000))));
    list::AddVideoURL(tarnwick->queue, PutFilePage("2", test_support::Answer()
                                                            .Head(head)
                                                            .Body(body.substr(0, 50000))
                                                            .WaitForRelease()
                                                            .Body(body.substr(50000))));
    bool checked_first = false;
    bool asked_exit = false;
    WhenReady([&] { return Transferring(Queue(), 0, 33); },
              [&] {
                  // Inside the first transfer, waiting for the server.
                  checked_first = true;
                  EXPECT_TRUE(skin().rootObject()->property("running").toBool());
                  EXPECT_EQ(tarnwick->tray_menu.Entries()[2].caption, "Stop Downloading");
                  EXPECT_EQ(Var("_root.startDownload"), "0");
                  SavePicture("run_in_progress.png");
                  box.answers = {platform::MessageAnswer::No};
                  SkinSends("IDC_FS_Close");
                  EXPECT_TRUE(tarnwick->window.isVisible()) << "No keeps the program and the run";
                  server.Release();
                  WhenReady([&] { return Transferring(Queue(), 1); },
                            [&] {
                                // Inside the second transfer: exit for real.
                                asked_exit = true;
                                box.answers = {platform::MessageAnswer::Yes};
                                SkinSends("IDC_FS_Close");
                                server.Release();
                            });
              });
    SkinSends("IDC_FS_stopDownload"); // idle: starts the run
    WaitForTheRunToEnd();
    EXPECT_TRUE(checked_first);
    EXPECT_TRUE(asked_exit);
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[1].text, "Download is in Progress, Are you sure that you want to exit?");
    EXPECT_EQ(Status(0), "Complete");
    EXPECT_THAT(Status(1), testing::StartsWith("Cancelled"));
    EXPECT_FALSE(tarnwick->window.isVisible());
    const std::string videos = tarnwick->settings_values.download_dir;
    EXPECT_TRUE(test_support::ReadWholeFile(videos + "/1.flv") == body);
    EXPECT_FALSE(std::filesystem::exists(videos + "/2.flv")) << "no half-written file";
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(videos)) {
        files.insert(entry.path().filename().string());
    }
    EXPECT_EQ(files, (std::set<std::string>{"1.flv", "2.flv.2.tarnwick.part"}))
        << "the stopped item keeps its bytes for the next start, and nothing else is left";

    // The next start: the list is back as the window showed it, and a start
    // goes on where the kept file ends.
    tarnwick.reset();
    test_support::ServedFile same_video;
    same_video.size = body.size();
    server.ServeFile("/v/2.flv", same_video);
    tarnwick = std::make_unique<TarnwickApp>(overrides);
    ASSERT_TRUE(tarnwick->Start());
    ASSERT_EQ(Queue().Count(), 2);
    EXPECT_EQ(Status(0), "Complete");
    EXPECT_THAT(Status(1), testing::StartsWith("Cancelled"));
    SkinSends("IDC_FS_stopDownload");
    WaitForTheRunToEnd();
    EXPECT_EQ(Status(1), "Complete");
    EXPECT_TRUE(test_support::ReadWholeFile(videos + "/2.flv") == body);
    std::optional<std::string> range;
    for (const test_support::Request& request : server.Requests()) {
        if (request.method == "GET" && request.target == "/v/2.flv")
            range = request.Header("Range");
    }
    EXPECT_EQ(range, "bytes=50000-");
}

TEST_F(TarnwickAppTest, ADataFolderRemovedWhileRunningIsMadeAgainWithTheWholeList) {
    ASSERT_TRUE(tarnwick->Start());
    std::vector<std::string> addresses;
    for (int i = 1; i <= 8; ++i) {
        addresses.push_back("http://www.youtube.com/watch?v=clip" + std::to_string(i));
    }
    for (int i = 0; i < 7; ++i) list::AddVideoURL(tarnwick->queue, addresses[i]);
    std::filesystem::remove_all(paths.data_folder);
    tarnwick->address_entry.Add(addresses[7]);
    EXPECT_TRUE(PlayUntil([this] {
        return StatusLineShown() == "The list's file was gone; Tarnwick wrote the list again";
    })) << StatusLineShown();
    SkinSends("IDC_FS_Close");

    tarnwick.reset();
    tarnwick = std::make_unique<TarnwickApp>(overrides);
    ASSERT_TRUE(tarnwick->Start());
    std::vector<std::string> kept;
    for (int position = 0; position < Queue().Count(); ++position) kept.push_back(Url(position));
    EXPECT_EQ(kept, addresses);
}

TEST_F(TarnwickAppTest, EachFailureSaysWhyInItsTooltipAndForTheSelectedItem) {
    ASSERT_TRUE(tarnwick->Start());
    server.Serve("/putfile.com/gone", test_support::Answer::Http(404, "Not Found", {}, "no"));
    list::AddVideoURL(tarnwick->queue, server.Url("/putfile.com/gone"));
    list::AddVideoURL(tarnwick->queue,
                      PutFilePage("missing", test_support::Answer::Http(404, "Not Found", {}, "")));
    list::AddVideoURL(tarnwick->queue,
                      PutFilePage("login", test_support::Answer::Http(
                                               200, "OK", {"Content-Type: text/html"}, "<p>")));
    list::AddVideoURL(tarnwick->queue, "http://example.org/watch/1");
    SkinSends("IDC_FS_stopDownload"); // idle: starts the run
    WaitForTheRunToEnd();

    const std::vector<std::string> reasons = {
        "The page could not be fetched (404 Not Found)",
        "The video file was not found (404)",
        "The server sent a web page instead of a video",
        "This site is not supported",
    };
    QAbstractItemModel* model = table().model();
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Status(row), "ERROR");
        EXPECT_EQ(model->index(row, 3).data(Qt::ToolTipRole).toString().toStdString(),
                  reasons[static_cast<size_t>(row)]);
    }
    EXPECT_EQ(Var("_root.statusTxt"), "Done: 0 complete, 4 failed");
    table().selectionModel()->select(model->index(1, 2), QItemSelectionModel::Select);
    QCoreApplication::processEvents();
    EXPECT_EQ(StatusLineShown(), "Item 2: The video file was not found (404)");
    table().selectionModel()->clearSelection();
    tarnwick->window.Grid().SetRowSelected(3, true);
    QCoreApplication::processEvents();
    EXPECT_EQ(StatusLineShown(), "Item 4: This site is not supported");
    tarnwick->window.Grid().ClearSelection();
    QCoreApplication::processEvents();
    EXPECT_EQ(StatusLineShown(), "Ready");
}

TEST_F(TarnwickAppTest, TheStatusLineShowsTheSpeedAndTimeLeftOfTheRunningItem) {
    fakes::FakeClock clock;
    tarnwick.reset();
    overrides.clock = &clock;
    tarnwick = std::make_unique<TarnwickApp>(overrides);
    ASSERT_TRUE(tarnwick->Start());
    // Time stands still but for the test's steps; the network goes on by itself.
    const auto play_until = [&](const std::function<bool()>& done) {
        return PlayUntil(done, [&] { clock.RunDue(); });
    };
    const auto received = [&] { return Queue().At(0).received; };
    list::AddVideoURL(
        tarnwick->queue,
        PutFilePage("1", test_support::Answer()
                             .Head("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n")
                             .GeneratedBody(100000)
                             .WaitForRelease()
                             .GeneratedBody(100000, 100000)
                             .WaitForRelease()
                             .GeneratedBody(800000, 200000)));
    SkinSends("IDC_FS_stopDownload"); // idle: starts the run
    ASSERT_TRUE(play_until([&] { return received() == 100000; }));
    clock.Advance(std::chrono::milliseconds(250));
    EXPECT_EQ(StatusLineShown(), "Downloading 1.flv");
    server.Release();
    ASSERT_TRUE(play_until([&] { return received() == 200000; }));
    clock.Advance(std::chrono::milliseconds(250));
    // 100,000 bytes in a quarter of a second; 800,000 to go.
    EXPECT_EQ(StatusLineShown(), "Downloading 1.flv at 390.6 KB/s, 2 s left");
    server.Release();
    ASSERT_TRUE(play_until([&] { return !tarnwick->run.IsRunning(); }));
    EXPECT_EQ(Status(0), "Complete");
    EXPECT_EQ(StatusLineShown(), "Done: 1 complete, 0 failed");
}

TEST_F(TarnwickAppTest, TheGridShowsItsLongestTextsWholeWithoutScrollingSideways) {
    ASSERT_TRUE(tarnwick->Start());
    for (int i = 1; i < list::DownloadQueue::kMaxItems; ++i) {
        list::AddVideoURL(tarnwick->queue, "http://youtube.com/watch?v=" + std::to_string(i));
    }
    list::AddVideoURL(tarnwick->queue, "http://example.org/watch/last");
    ASSERT_EQ(Queue().Count(), 32767);
    tarnwick->queue.Modify(Queue().LastKey(), [](list::DownloadItem& item) {
        item.size_kind = list::SizeKind::kKnown;
        item.total_size = 1073636966; // 1023.9 MB
    });
    table().scrollToBottom();
    QCoreApplication::processEvents();
    SavePicture("full_list.png");

    const int last = Queue().Count() - 1;
    const std::vector<std::string> expected = {"32767", "", "ERROR", "Link is not supported",
                                               "1023.9 MB"};
    const QFontMetrics metrics(table().font());
    for (int column : {0, 2, 3, 4}) {
        const QString text = table().model()->index(last, column).data().toString();
        EXPECT_EQ(text.toStdString(), expected[static_cast<size_t>(column)]);
        // The grid line takes the last pixel column of each cell.
        const int cell_width = table().columnWidth(column) - 1;
        EXPECT_EQ(qt::CellDelegate::ShownText(text, column, metrics, cell_width), text)
            << "column " << column << " cuts its text";
    }
    EXPECT_TRUE(table().verticalScrollBar()->isVisible());
    EXPECT_FALSE(table().horizontalScrollBar()->isVisible());
    EXPECT_EQ(table().horizontalHeader()->length(), table().viewport()->width());
}

// Forty items of every kind, looked at with the desktop's font at its
// default size and at 12 pt; the pictures are kept beside the test for people
// to look at.
TEST_F(TarnwickAppTest, FortyItemsShowWholeInTheDefaultFontAndInTwelvePoints) {
    const QFont default_font = QApplication::font();
    for (const int points : {0, 12}) {
        // The desktop's font is the program's from its start.
        tarnwick.reset();
        QFont font = default_font;
        if (points > 0) font.setPointSize(points);
        QApplication::setFont(font);
        tarnwick = std::make_unique<TarnwickApp>(overrides);
        ASSERT_TRUE(tarnwick->Start());
        ListFortyItems();
        table().scrollToBottom();
        table().selectionModel()->select(table().model()->index(33, 3),
                                         QItemSelectionModel::Select);
        QCoreApplication::processEvents();
        SCOPED_TRACE(table().font().toString().toStdString());
        EXPECT_EQ(table().font().pointSize(), font.pointSize());
        EXPECT_EQ(StatusLineShown(), "Item 34: The video file was not found (404)");
        const QFontMetrics metrics(table().font());
        for (int row = 0; row < Queue().Count(); ++row) {
            for (int column : {0, 2, 3, 4}) {
                const QString text = table().model()->index(row, column).data().toString();
                const int cell_width = table().columnWidth(column) - 1;
                EXPECT_EQ(qt::CellDelegate::ShownText(text, column, metrics, cell_width), text);
            }
        }
        EXPECT_FALSE(table().horizontalScrollBar()->isVisible());
        SavePicture(QString("forty_items_%1.png")
                        .arg(points > 0 ? QString::number(points) + "pt" : QString("default")));
    }
    QApplication::setFont(default_font);
}

} // namespace
} // namespace tarnwick::app
