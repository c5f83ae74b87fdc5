#include "qt/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace tarnwick::qt {
namespace {

TEST(QtMessageBoxTest, TakesThePaletteOfTheWindowItOpensOverAndAnswersItsButton) {
    QWidget window;
    QPalette dark = window.palette();
    dark.setColor(QPalette::Window, QColor(43, 52, 55));
    window.setPalette(dark);
    QColor background;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        background = box->palette().color(QPalette::Window);
        box->button(QMessageBox::No)->click();
    });
    QtMessageBox boxes(&window);
    EXPECT_EQ(boxes.Show("Sure?", "Tarnwick", platform::MessageIcon::Question,
                         platform::MessageButtons::YesNo),
              platform::MessageAnswer::No);
    EXPECT_EQ(background, QColor(43, 52, 55));
}

} // namespace
} // namespace tarnwick::qt
