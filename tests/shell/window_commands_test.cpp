#include "shell/window_commands.h"

#include "shell/message_texts.h"
#include "shell/shell_harness.h"

namespace tarnwick::shell {
namespace {

using platform::MessageAnswer;

const std::string kPage1 = "http://www.youtube.com/watch?v=1";
const std::string kPage2 = "http://www.youtube.com/watch?v=2";

struct CountingUndo : RemovalUndo {
    bool Undo() override {
        ++undos;
        return can_undo;
    }
    int undos = 0;
    bool can_undo = true;
};

class WindowCommandsTest : public ShellHarness {
protected:
    void Press(WindowAction action) { keys.Run(static_cast<int>(action)); }

    CountingUndo undo;
    WindowCommands keys{{.entry = entry,
                         .clipboard = clipboard,
                         .lifecycle = lifecycle,
                         .grid = grid_commands,
                         .messages = status,
                         .undo = &undo}};
};

TEST_F(WindowCommandsTest, PasteListsEachAddressOnTheClipboardAsTypedOnes) {
    clipboard.text = " " + kPage1 + "\r\n\r\n" + kPage2 + "\n";
    Press(WindowAction::kPasteAddress);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kPage1, kPage2}));
    EXPECT_FALSE(runs.StartPending()) << "as typed addresses, they wait for Start";
    Press(WindowAction::kPasteAddress);
    EXPECT_EQ(queue.Count(), 2);
    EXPECT_EQ(status.Text(), "This address is already in the list, as item 2");
    clipboard.text = " \n ";
    Press(WindowAction::kPasteAddress);
    EXPECT_EQ(status.Text(), kNoAddressOnClipboard);
}

TEST_F(WindowCommandsTest, QuitAsksAsTheExitAsksWhileARunIsUnderWay) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    runs.ToggleRun();
    Settle();
    box.answers = {MessageAnswer::No};
    Press(WindowAction::kExit);
    EXPECT_EQ(box.shown.back().text, kConfirmExitText);
    EXPECT_TRUE(runs.IsRunning());
    EXPECT_EQ(std::count(log.begin(), log.end(), "quit"), 0);
    box.answers = {MessageAnswer::Yes};
    Press(WindowAction::kExit);
    EXPECT_EQ(std::count(log.begin(), log.end(), "quit"), 1);
}

TEST_F(WindowCommandsTest, UndoReachesTheRemovalUndoOrSaysThereIsNothing) {
    Press(WindowAction::kUndoRemoval);
    EXPECT_EQ(undo.undos, 1);
    EXPECT_EQ(status.Text(), kReadyText);
    undo.can_undo = false;
    Press(WindowAction::kUndoRemoval);
    EXPECT_EQ(status.Text(), kNothingToUndo);
    WindowCommands without_undo{{.entry = entry,
                                 .clipboard = clipboard,
                                 .lifecycle = lifecycle,
                                 .grid = grid_commands,
                                 .messages = status}};
    clock.Advance(StatusLine::kMessageTime);
    ASSERT_EQ(status.Text(), kReadyText);
    without_undo.Run(static_cast<int>(WindowAction::kUndoRemoval));
    EXPECT_EQ(status.Text(), kNothingToUndo);
}

} // namespace
} // namespace tarnwick::shell
