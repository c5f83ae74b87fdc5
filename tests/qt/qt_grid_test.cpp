#include "qt/qt_grid.h"

#include "qt/progress_bar_painter.h"
#include "shell/grid_presentation.h"
#include "shell/progress_bar.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTableView>
#include <QWidget>

#include <gtest/gtest.h>

namespace tarnwick::platform::qt {
namespace {

const QColor kBar(0, 0, 200);
const QColor kFill(255, 255, 255);

QImage PaintCell(int percent, bool selected, QSize size = {100, 20}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const auto layout = shell::LayoutProgressBar(percent, 0, size.width(), selected);
    PaintProgressBar(painter, QRect(QPoint(0, 0), size), layout, kBar, kFill);
    return image;
}

TEST(ProgressBarPicture, BarEndsAtItsPercentageOfTheCell) {
    const QImage image = PaintCell(45, false);
    // Top row: the text never reaches it. Bar over columns 0..43, fill after.
    EXPECT_EQ(image.pixelColor(0, 0), kBar);
    EXPECT_EQ(image.pixelColor(43, 0), kBar);
    EXPECT_EQ(image.pixelColor(44, 0), kFill);
    EXPECT_EQ(image.pixelColor(99, 19), kFill);
}

TEST(ProgressBarPicture, TextIsFillOverTheBarAndBarColourBeyondIt) {
    // The centred text "50%" straddles the bar's end at column 49.
    const QImage image = PaintCell(50, false, {120, 24});
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
    const QImage full = PaintCell(150, false);
    EXPECT_EQ(full.pixelColor(98, 0), kBar);
    EXPECT_EQ(full.pixelColor(99, 0), kFill);
    const QImage empty = PaintCell(-5, false);
    EXPECT_EQ(empty.pixelColor(0, 0), kFill);
}

TEST(ProgressBarPicture, SelectedCellHasNoPartialBar) {
    const QImage image = PaintCell(10, true);
    EXPECT_EQ(image.pixelColor(50, 0), kBar);
    EXPECT_EQ(image.pixelColor(98, 19), kBar);
}

class QtGridTest : public testing::Test {
protected:
    QtGridTest() : grid(&window), presentation(state, grid) {
        window.resize(648, 585);
        grid.Widget()->setGeometry(36, 259, 572, 179);
        presentation.FormatDownloadGrid(false, nullptr);
    }

    std::shared_ptr<list::DownloadView> ViewWithStatuses(
        std::initializer_list<const char*> statuses) {
        auto view = std::make_shared<list::DownloadView>();
        int id = 0;
        for (const char* status : statuses) {
            list::DownloadViewRow& row = view->AppendRow();
            row.ID = ++id;
            row.Video_URL = "http://youtube.com/watch?v=" + std::to_string(id);
            row.FileName = "file.flv";
            row.Status = status;
            row.FileSize = "1 MB";
        }
        return view;
    }

    // The grid's picture of one cell.
    QImage GrabCell(int row, int column) {
        QTableView* table = grid.Widget();
        const QRect rect = table->visualRect(table->model()->index(row, column));
        return table->viewport()->grab(rect).toImage();
    }

    MainState state;
    QWidget window;
    QtGrid grid;
    shell::GridPresentation presentation;
};

TEST_F(QtGridTest, ShowsFiveCaptionedColumnsWithTwipWidths) {
    grid.Bind(ViewWithStatuses({"Waiting"}));
    QAbstractItemModel* model = grid.Widget()->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model->columnCount(), 5);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), " ");
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Download Status");
    EXPECT_EQ(grid.Widget()->columnWidth(1), 3800 / 15);
    EXPECT_EQ(grid.CellText(0, 1), "http://youtube.com/watch?v=1");
    EXPECT_TRUE(model->flags(model->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->flags(model->index(0, 3)) & Qt::ItemIsEditable);
    grid.Bind(nullptr);
    EXPECT_EQ(model->rowCount(), 0);
}

TEST_F(QtGridTest, NumericStatusIsPaintedAsABarAndTextStatusIsNot) {
    grid.Bind(ViewWithStatuses({"45", "Complete"}));
    window.show();
    const QColor bar = QGuiApplication::palette().color(QPalette::Highlight);
    const QImage progress = GrabCell(0, 3);
    EXPECT_EQ(progress.pixelColor(1, 1), bar);
    const QImage plain = GrabCell(1, 3);
    for (int x = 0; x < plain.width(); ++x) ASSERT_NE(plain.pixelColor(x, 1), bar) << x;
}

TEST_F(QtGridTest, CellWritesShowWithoutARebuild) {
    grid.Bind(ViewWithStatuses({"Waiting", "Waiting"}));
    grid.SetCellValue(1, 3, "42");
    EXPECT_EQ(grid.CellText(1, 3), "42");
    EXPECT_EQ(grid.Widget()->model()->index(1, 3).data().toString(), "42");
}

TEST_F(QtGridTest, RowFlagsAreApartFromCellSelection) {
    grid.Bind(ViewWithStatuses({"a", "b", "c"}));
    grid.SetRowSelected(0, true);
    grid.SetRowSelected(2, true);
    EXPECT_TRUE(grid.SelectedCells().empty());
    grid.SetCellSelected({1, 3}, true);
    EXPECT_EQ(grid.SelectedCells(), (std::vector<CellRef>{{1, 3}}));
    EXPECT_TRUE(grid.IsRowSelected(2));
    EXPECT_FALSE(grid.IsRowSelected(1));
    grid.Bind(ViewWithStatuses({"a"}));
    EXPECT_FALSE(grid.IsRowSelected(0));
    EXPECT_TRUE(grid.SelectedCells().empty());
}

} // namespace
} // namespace tarnwick::platform::qt
