#include "qt/qt_folder_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tarnwick::qt {
namespace {

// Runs `answer` on the chooser's dialog once it is open.
std::string ChooseWhileOpen(const std::string& prompt,
                            const std::function<void(QFileDialog&)>& answer,
                            const std::string& start_folder = "", QWidget* parent = nullptr) {
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        answer(*dialog);
    });
    QtFolderChooser chooser(parent);
    const std::string chosen = chooser.ChooseFolder(prompt, start_folder);
    EXPECT_EQ(title.toStdString(), prompt);
    return chosen;
}

TEST(QtFolderChooserTest, AnswersTheChosenDirectoryOrEmptyOnCancel) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("Films"));
    const QString films = QDir(folder.path()).filePath("Films");
    const std::string chosen = ChooseWhileOpen("Pick a folder", [&](QFileDialog& dialog) {
        dialog.setDirectory(films);
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(chosen, QDir::toNativeSeparators(films).toStdString());

    const std::string cancelled =
        ChooseWhileOpen("Pick a folder", [](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(cancelled, "");
}

TEST(QtFolderChooserTest, OpensInTheGivenFolderOrTheNearestOneAboveThatExists) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("Films"));
    const QString films = QDir(folder.path()).filePath("Films");
    for (const QString& start : {films, films + "/not yet/made"}) {
        QString opened_in;
        ChooseWhileOpen(
            "Pick a folder",
            [&](QFileDialog& dialog) {
                opened_in = dialog.directory().absolutePath();
                dialog.reject();
            },
            start.toStdString());
        EXPECT_EQ(opened_in, films) << start.toStdString();
    }
}

TEST(QtFolderChooserTest, TakesThePaletteOfTheWindowItOpensOver) {
    QWidget window;
    QPalette dark = window.palette();
    dark.setColor(QPalette::Window, QColor(43, 52, 55));
    window.setPalette(dark);
    QColor background;
    ChooseWhileOpen(
        "Pick a folder",
        [&](QFileDialog& dialog) {
            background = dialog.palette().color(QPalette::Window);
            dialog.reject();
        },
        "", &window);
    EXPECT_EQ(background, QColor(43, 52, 55));
}

} // namespace
} // namespace tarnwick::qt
