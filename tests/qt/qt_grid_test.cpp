#include "qt/qt_grid.h"

#include "list/add_video_url.h"
#include "platform/clock.h"
#include "qt/cell_delegate.h"
#include "qt/download_queue_model.h"
#include "qt/progress_bar_painter.h"
#include "shell/grid_setup.h"
#include "shell/progress_bar.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace tarnwick::qt {
namespace {

const QColor kBar(0, 0, 200);
const QColor kFill(255, 255, 255);

QImage PaintCell(int percent, QSize size = {100, 20}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const auto layout = shell::LayoutProgressBar(percent, 0, size.width());
    PaintProgressBar(painter, QRect(QPoint(0, 0), size), layout, kBar, kFill);
    return image;
}

TEST(ProgressBarPicture, BarEndsAtItsPercentageOfTheCell) {
    const QImage image = PaintCell(45);
    // Top row: the text never reaches it. Bar over columns 0..43, fill after.
    EXPECT_EQ(image.pixelColor(0, 0), kBar);
    EXPECT_EQ(image.pixelColor(43, 0), kBar);
    EXPECT_EQ(image.pixelColor(44, 0), kFill);
    EXPECT_EQ(image.pixelColor(99, 19), kFill);
}

TEST(ProgressBarPicture, TextIsFillOverTheBarAndBarColourBeyondIt) {
    // The centred text "50%" straddles the bar's end at column 49.
    const QImage image = PaintCell(50, {120, 24});
    bool fill_on_bar = false;
    bool bar_on_fill = false;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 120; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (x < 59 && c != kBar) fill_on_bar = true;
            if (x > 60 && c != kFill) bar_on_fill = true;
        }
    }
    EXPECT_TRUE(fill_on_bar) << "no text pixels over the bar";
    EXPECT_TRUE(bar_on_fill) << "no text pixels right of the bar";
}

TEST(ProgressBarPicture, FullAndEmptyBars) {
    const QImage full = PaintCell(150);
    EXPECT_EQ(full.pixelColor(98, 0), kBar);
    EXPECT_EQ(full.pixelColor(99, 0), kFill);
    const QImage empty = PaintCell(-5);
    EXPECT_EQ(empty.pixelColor(0, 0), kFill);
}

class QtGridTest : public testing::Test {
protected:
    QtGridTest() : grid(queue, &window) {
        window.resize(648, 585);
        grid.Widget()->setGeometry(36, 259, 572, 179);
        shell::SetUpGrid(grid);
    }

    list::ItemKey Add(const std::string& address) {
        list::AddVideoURL(queue, address);
        return queue.LastKey();
    }
    void Downloading(list::ItemKey key, int64_t received, int64_t total) {
        queue.Modify(key, [&](list::DownloadItem& i) {
            i.state = list::ItemState::kDownloading;
            i.size_kind = list::SizeKind::kKnown;
            i.total_size = total;
            i.received = received;
        });
    }
    QAbstractItemModel& Model() { return *grid.Widget()->model(); }
    QString Cell(int row, int column) { return Model().index(row, column).data().toString(); }
    // The grid's picture of one cell.
    QImage GrabCell(int row, int column) {
        QTableView* table = grid.Widget();
        const QRect rect = table->visualRect(table->model()->index(row, column));
        return table->viewport()->grab(rect).toImage();
    }

    list::DownloadQueue queue;
    QWidget window;
    QtGrid grid;
};

TEST_F(QtGridTest, ShowsFiveCaptionedColumns) {
    Add("http://youtube.com/watch?v=1");
    EXPECT_EQ(Model().columnCount(), 5);
    EXPECT_EQ(Model().headerData(0, Qt::Horizontal).toString(), " ");
    EXPECT_EQ(Model().headerData(3, Qt::Horizontal).toString(), "Download Status");
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(0, 1), "http://youtube.com/watch?v=1");
    EXPECT_EQ(Cell(0, 2), "Waiting (Auto Detect)");
    EXPECT_EQ(Cell(0, 3), "Waiting");
    EXPECT_EQ(Cell(0, 4), "????");
    EXPECT_TRUE(Model().flags(Model().index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_FALSE(Model().flags(Model().index(0, 3)) & Qt::ItemIsEditable);
}

// Whether the cell shows `text` whole in its column as it is now.
bool ShowsWhole(QTableView& table, int column, const QString& text) {
    // The grid line takes the last pixel column of each cell.
    const int cell_width = table.columnWidth(column) - 1;
    return CellDelegate::ShownText(text, column, QFontMetrics(table.font()), cell_width) == text;
}

TEST_F(QtGridTest, ColumnsFitTheirLongestTextsInAnyFontAndAddressesTakeTheRest) {
    for (int i = 0; i < 40; ++i) Add("http://youtube.com/watch?v=" + std::to_string(i));
    window.show();
    QTableView& table = *grid.Widget();
    for (const int points : {0, 12}) {
        QFont font = table.font();
        if (points > 0) font.setPointSize(points);
        table.setFont(font); // the columns follow a change of the font
        QCoreApplication::processEvents();
        SCOPED_TRACE(table.font().toString().toStdString());
        EXPECT_TRUE(ShowsWhole(table, 0, "32767"));
        EXPECT_TRUE(ShowsWhole(table, 2, "Waiting (Auto Detect)"));
        EXPECT_TRUE(ShowsWhole(table, 3, "Link is not supported"));
        EXPECT_TRUE(ShowsWhole(table, 3, "Start Downloading..."));
        EXPECT_TRUE(ShowsWhole(table, 4, "1023.9 MB"));
        EXPECT_TRUE(table.verticalScrollBar()->isVisible());
        EXPECT_FALSE(table.horizontalScrollBar()->isVisible());
        int total = 0;
        for (int column = 0; column < 5; ++column) total += table.columnWidth(column);
        EXPECT_EQ(total, table.viewport()->width()) << "the addresses take what is left";
        EXPECT_GE(table.columnWidth(1), 30) << "the addresses keep some room";
    }
    const QString address = QString("http://youtube.com/watch?v=") + QString(200, 'x') + "end";
    const QString shown = CellDelegate::ShownText(address, 1, QFontMetrics(table.font()), 200);
    EXPECT_TRUE(shown.startsWith("http://")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(shown.endsWith("end")) << "addresses are cut in the middle";
}

TEST_F(QtGridTest, TheSizeColumnFitsTheLongestSizeOfItsRows) {
    const list::ItemKey key = Add("http://youtube.com/watch?v=1");
    window.show();
    QTableView& table = *grid.Widget();
    const int fitted = table.columnWidth(platform::kColumnFileSize);
    queue.Modify(key, [](list::DownloadItem& i) {
        i.state = list::ItemState::kDownloading;
        i.size_kind = list::SizeKind::kStreamed;
        i.received = 11 << 20;
    });
    const QString size = Cell(0, platform::kColumnFileSize);
    EXPECT_TRUE(size.contains("so far")) << size.toStdString();
    EXPECT_TRUE(ShowsWhole(table, platform::kColumnFileSize, size));
    queue.Remove(key);
    EXPECT_EQ(table.columnWidth(platform::kColumnFileSize), fitted);
}

TEST_F(QtGridTest, TheUserResizesAColumnWhichKeepsItsWidthAndIsTold) {
    struct Listener : platform::GridColumnListener {
        void OnColumnsResized() override { ++told; }
        int told = 0;
    } listener;
    grid.SetColumnListener(&listener);
    Add("http://youtube.com/watch?v=1");
    window.show();
    QHeaderView& header = *grid.Widget()->horizontalHeader();
    const int fitted = header.sectionSize(platform::kColumnFileName);
    // Drags the file name column's right edge 30 pixels to the right.
    const int edge = header.sectionViewportPosition(platform::kColumnFileName) + fitted - 1;
    const int y = header.height() / 2;
    QTest::mousePress(header.viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(header.viewport(), QPoint(edge + 30, y));
    QTest::mouseRelease(header.viewport(), Qt::LeftButton, {}, QPoint(edge + 30, y));
    EXPECT_EQ(header.sectionSize(platform::kColumnFileName), fitted + 30);
    EXPECT_EQ(listener.told, 1);

    QFont font = grid.Widget()->font();
    font.setPointSize(font.pointSize() + 4);
    grid.Widget()->setFont(font); // the other columns fit anew
    EXPECT_EQ(grid.ColumnWidths()[platform::kColumnFileName], fitted + 30);
    QWidget next_window;
    QtGrid next(queue, &next_window);
    shell::SetUpGrid(next);
    next.SetColumnWidths(grid.ColumnWidths());
    EXPECT_EQ(next.ColumnWidths()[platform::kColumnFileName], fitted + 30);
    EXPECT_EQ(next.ColumnWidths()[platform::kColumnId], grid.ColumnWidths()[platform::kColumnId]);
    grid.SetColumnListener(nullptr);
}

TEST_F(QtGridTest, ChangesRowByRowAndNeverResets) {
    // The tester checks every notification; it takes rows for stable, so it
    // watches only the changes that shift no ID.
    auto tester = std::make_unique<QAbstractItemModelTester>(
        &Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    int resets = 0;
    QObject::connect(&Model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    std::vector<std::pair<int, int>> changed; // first and last column
    QObject::connect(&Model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         changed.emplace_back(from.column(), to.column());
                     });
    const list::ItemKey a = Add("http://youtube.com/watch?v=a");
    const list::ItemKey b = Add("http://youtube.com/watch?v=b");
    const list::ItemKey c = Add("http://youtube.com/watch?v=c");
    Add("http://youtube.com/watch?v=d");
    queue.Remove(queue.LastKey());
    queue.MoveUp(c);
    EXPECT_EQ(Cell(1, 1), "http://youtube.com/watch?v=c");
    EXPECT_EQ(Cell(1, 0), "2");
    queue.MoveDown(a);
    changed.clear();
    queue.Rename(a, "a.flv");
    Downloading(a, 0, 100);
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{2, 2}, {3, 4}}));
    tester.reset();

    changed.clear();
    queue.Remove(c);
    EXPECT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{0, 0}})) << "the IDs after it";
    EXPECT_EQ(Cell(0, 1), "http://youtube.com/watch?v=a");
    EXPECT_EQ(Cell(1, 0), "2");
    EXPECT_EQ(resets, 0);
    (void)b;
}

TEST_F(QtGridTest, ManyItemsChangeAsOneRangeEach) {
    for (int i = 0; i < 1000; ++i) Add("http://youtube.com/watch?v=" + std::to_string(i));
    std::vector<std::pair<int, int>> removed;
    int changes = 0;
    QObject::connect(
        &Model(), &QAbstractItemModel::rowsRemoved,
        [&](const QModelIndex&, int first, int last) { removed.emplace_back(first, last); });
    QObject::connect(&Model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    int selection_changes = 0;
    struct Counter : platform::GridSelectionListener {
        explicit Counter(int& count) : count(count) {}
        void OnSelectionChanged() override { ++count; }
        int& count;
    } counter(selection_changes);
    grid.SetSelectionListener(&counter);
    grid.SelectAllRows();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selection_changes, 1);
    EXPECT_TRUE(grid.IsRowSelected(999));

    std::vector<list::ItemKey> keys;
    for (int p = 0; p < 1000; ++p) {
        if (p < 400 || p >= 600) keys.push_back(queue.At(p).key);
    }
    changes = 0;
    queue.RemoveMany(keys);
    EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{600, 999}, {0, 399}}));
    EXPECT_EQ(changes, 1) << "the IDs after the first range, once";
    EXPECT_EQ(Model().rowCount(), 200);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(0, 1), "http://youtube.com/watch?v=400");
    EXPECT_TRUE(grid.IsRowSelected(0)) << "the flags of the items that stay are kept";

    changes = 0;
    std::vector<list::ItemKey> all;
    for (int p = 0; p < queue.Count(); ++p) all.push_back(queue.At(p).key);
    queue.ModifyMany(all, [](list::DownloadItem& i) { i.state = list::ItemState::kFailed; });
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Cell(199, 3), "ERROR");
    grid.SetSelectionListener(nullptr);
}

TEST_F(QtGridTest, ProgressIsToldOnTheScreensBeat) {
    const list::ItemKey key = Add("http://youtube.com/watch?v=1");
    Downloading(key, 0, 1000);
    int changes = 0;
    QObject::connect(&Model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    for (int64_t received = 10; received <= 500; received += 10) queue.SetReceived(key, received);
    EXPECT_EQ(changes, 0) << "progress waits for the beat";
    EXPECT_EQ(Cell(0, 3), "50") << "the model itself is never behind";
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 1; })) << "the skin drew nothing";
    queue.SetReceived(key, 600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 2; }));
    queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kComplete; });
    EXPECT_EQ(changes, 3) << "the end is told at once";
    QTest::qWait(static_cast<int>(platform::kScreenBeat.count()) * 2);
    EXPECT_EQ(changes, 3);
}

TEST_F(QtGridTest, ADownloadingItemIsPaintedAsABarFromItsNumbers) {
    const list::ItemKey progress = Add("http://youtube.com/watch?v=1");
    const list::ItemKey done = Add("http://youtube.com/watch?v=2");
    Downloading(progress, 45, 100);
    queue.Modify(done, [](list::DownloadItem& i) { i.state = list::ItemState::kComplete; });
    window.show();
    EXPECT_EQ(Cell(0, 3), "45");
    EXPECT_EQ(Model().index(0, 3).data(DownloadQueueModel::kProgressRole).toInt(), 45);
    EXPECT_FALSE(Model().index(1, 3).data(DownloadQueueModel::kProgressRole).isValid());
    const QColor bar = QGuiApplication::palette().color(QPalette::Highlight);
    EXPECT_EQ(GrabCell(0, 3).pixelColor(1, 1), bar);
    const QImage plain = GrabCell(1, 3);
    for (int x = 0; x < plain.width(); ++x) ASSERT_NE(plain.pixelColor(x, 1), bar) << x;

    grid.SetRowSelected(0, true);
    const QImage selected = GrabCell(0, 3);
    const QColor selected_bar = Model().index(0, 3).data(Qt::BackgroundRole).value<QColor>();
    EXPECT_EQ(selected.pixelColor(1, 1), selected_bar);
    EXPECT_NE(selected.pixelColor(selected.width() - 3, 1), selected_bar)
        << "a selected row keeps its bar";
}

TEST_F(QtGridTest, TheEmptyAreaAndTheWindowAreInTheSkinsDarkPalette) {
    Add("http://youtube.com/watch?v=1");
    window.show();
    const QImage viewport = grid.Widget()->viewport()->grab().toImage();
    const QColor empty = viewport.pixelColor(viewport.width() / 2, viewport.height() - 2);
    EXPECT_EQ(empty, window.palette().color(QPalette::Window));
    EXPECT_LT(empty.lightness(), 80);
    EXPECT_GT(window.palette().color(QPalette::WindowText).lightness(), 200);
}

TEST_F(QtGridTest, RowFlagsFollowTheirItemsApartFromCellSelection) {
    const list::ItemKey a = Add("a");
    Add("b");
    const list::ItemKey c = Add("c");
    grid.SetRowSelected(0, true);
    grid.SetRowSelected(2, true);
    EXPECT_TRUE(grid.SelectedCells().empty());
    grid.Widget()->selectionModel()->select(Model().index(1, 3), QItemSelectionModel::Select);
    EXPECT_EQ(grid.SelectedCells(), (std::vector<platform::CellRef>{{1, 3}}));
    queue.MoveUp(c);
    EXPECT_TRUE(grid.IsRowSelected(1)) << "the flag moved with its item";
    EXPECT_FALSE(grid.IsRowSelected(2));
    queue.Remove(a);
    EXPECT_TRUE(grid.IsRowSelected(0));
    grid.ClearSelection();
    EXPECT_FALSE(grid.IsRowSelected(0));
    EXPECT_TRUE(grid.SelectedCells().empty());
}

TEST_F(QtGridTest, AFileNameEditGoesToTheHandler) {
    struct Renamer : platform::GridEditHandler {
        explicit Renamer(list::DownloadQueue& q) : queue(q) {}
        bool OnFileNameEdited(int row, const std::string& text) override {
            if (text.empty()) return false;
            return queue.Rename(queue.At(row).key, text);
        }
        list::DownloadQueue& queue;
    } renamer(queue);
    Add("a");
    grid.SetEditHandler(&renamer);
    EXPECT_TRUE(Model().setData(Model().index(0, 2), "mine.flv"));
    EXPECT_EQ(Cell(0, 2), "mine.flv");
    EXPECT_FALSE(Model().setData(Model().index(0, 2), ""));
    EXPECT_FALSE(Model().setData(Model().index(0, 3), "status")) << "only names are edited";
    EXPECT_EQ(Cell(0, 2), "mine.flv");
    grid.SetEditHandler(nullptr);
}

// The view belongs to the window, which destroys it after the grid.
TEST(QtGridLifetime, AViewThatOutlivesItsGridCallsNothingOfIt) {
    list::DownloadQueue queue;
    QWidget window;
    list::AddVideoURL(queue, "http://www.youtube.com/watch?v=1");
    auto grid = std::make_unique<QtGrid>(queue, &window);
    QTableView* view = grid->Widget();
    grid.reset();
    view->selectAll();
    view->verticalHeader()->sectionClicked(0);
    view->setFont(QFont("Sans", 15));
    EXPECT_EQ(view->selectionModel()->selectedIndexes().size(), platform::kColumnCount);
}

} // namespace
} // namespace tarnwick::qt
