// Documents opened through an opener the test writes: its exit status is
// the answer, one that cannot start is told, and what it was handed is the
// path, or the address with its section.
#include "qt/qt_shell_launch.h"

#include "support/play_until.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick::qt {
namespace {

using platform::Opened;

class QtShellLaunchOpenTest : public testing::Test {
protected:
    // An opener that writes its argument down and ends with `status`.
    QString Opener(int status) {
        const std::string path = folder.File("opener-" + std::to_string(status));
        test_support::WriteWholeFile(path, "#!/bin/sh\nprintf '%s' \"$1\" > '" +
                                               folder.File("handed") + "'\nexit " +
                                               std::to_string(status) + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return QString::fromStdString(path);
    }
    std::optional<Opened> Open(const QString& opener, const std::string& section = "") {
        QtShellLaunch launch(opener);
        std::optional<Opened> answer;
        launch.OpenDocument(folder.File("clip.mp4"), section, [&](Opened how) { answer = how; });
        test_support::PlayUntil([&] { return answer.has_value(); });
        return answer;
    }
    std::string Handed() const { return test_support::ReadWholeFile(folder.File("handed")); }

    test_support::TempFolder folder;
};

TEST_F(QtShellLaunchOpenTest, TheOpenersExitStatusIsTheAnswer) {
    EXPECT_EQ(Open(Opener(0)), Opened::kYes);
    EXPECT_EQ(Handed(), folder.File("clip.mp4"));
    EXPECT_EQ(Open(Opener(3)), Opened::kNoProgram);
    EXPECT_EQ(Open(Opener(4)), Opened::kProgramFailed);
    EXPECT_EQ(Open(QString::fromStdString(folder.File("no-opener"))), Opened::kNoOpener);
}

TEST_F(QtShellLaunchOpenTest, ASectionIsHandedAsTheFilesAddress) {
    EXPECT_EQ(Open(Opener(0), "about"), Opened::kYes);
    EXPECT_EQ(Handed(), "file://" + folder.File("clip.mp4") + "#about");
}

} // namespace
} // namespace tarnwick::qt
