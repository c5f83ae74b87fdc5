#include "qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace tarnwick::qt {
namespace {

TEST(QtClipboardTest, ReadsTheTextOrNothing) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QtClipboard reader;
    clipboard->setText(QString::fromUtf8("http://www.youtube.com/watch?v=\xc3\xa9"));
    EXPECT_EQ(reader.Text(), "http://www.youtube.com/watch?v=\xc3\xa9");
    auto* image_only = new QMimeData;
    image_only->setData("image/png", QByteArray("\x89PNG", 4));
    clipboard->setMimeData(image_only);
    EXPECT_EQ(reader.Text(), "");
}

} // namespace
} // namespace tarnwick::qt
