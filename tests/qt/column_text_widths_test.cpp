#include "qt/column_text_widths.h"

#include "list/add_video_url.h"
#include "qt/download_queue_model.h"

#include <QFont>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cmath>

namespace tarnwick::qt {
namespace {

TEST(ColumnTextWidths, FollowTheWidestTextThroughInsertsMovesChangesAndRemovals) {
    list::DownloadQueue queue;
    DownloadQueueModel model(queue);
    int told = 0;
    ColumnTextWidths widths(model, platform::kColumnFileName, [&] { ++told; });
    const QFont font;
    widths.SetFont(font);
    const auto width = [metrics = QFontMetricsF(font)](const char* text) {
        return static_cast<int>(std::ceil(metrics.horizontalAdvance(QString(text))));
    };
    const auto add = [&](const char* name) {
        list::AddVideoURL(queue, std::string("http://youtube.com/watch?v=") + name);
        queue.Rename(queue.LastKey(), name);
        return queue.LastKey();
    };
    const list::ItemKey narrow = add("w.flv");
    const list::ItemKey wide = add("wwwwwwwwww.flv");
    const list::ItemKey middle = add("www.flv");
    EXPECT_EQ(widths.Widest(), width("wwwwwwwwww.flv"));

    queue.MoveUp(middle); // each row's width moves with it
    queue.Rename(wide, "w.flv");
    EXPECT_EQ(widths.Widest(), width("www.flv"));
    queue.Remove(middle);
    EXPECT_EQ(widths.Widest(), width("w.flv"));
    EXPECT_GE(told, 3);
    queue.RemoveMany({wide, narrow});
    EXPECT_EQ(widths.Widest(), 0);
}

} // namespace
} // namespace tarnwick::qt
