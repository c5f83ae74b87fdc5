// A complete item's file: what the desktop answered when it did not open or
// show it, and a name typed without an extension keeping the file's type.
#include "shell/item_files.h"

#include "shell/shell_harness.h"

#include "fakes/fake_file_manager.h"
#include "fakes/fake_file_system.h"

#include <filesystem>

namespace tarnwick::shell {
namespace {

using platform::Opened;

class ItemFilesTest : public ShellHarness {
protected:
    ItemFilesTest() {
        std::filesystem::create_directories(values.download_dir);
        test_support::WriteWholeFile(InFolder("clip.mp4"), "video");
        list::AddVideoURL(queue, "http://www.youtube.com/watch?v=1");
        queue.Modify(queue.LastKey(), [](list::DownloadItem& item) {
            item.state = list::ItemState::kComplete;
            item.name_kind = list::NameKind::kNamed;
            item.name = "clip.mp4";
        });
    }
    std::string InFolder(const std::string& name) const {
        return platform::JoinPath(values.download_dir, name);
    }
    // The status line after opening the file, the opener answering `how`.
    std::string AfterOpening(Opened how) {
        launch.handler_exists = false;
        launch.refusal = how;
        files_.Open(queue.LastKey());
        return status.Text();
    }
    std::string AfterShowing(Opened how) {
        file_manager.shows = false;
        file_manager.refusal = how;
        files_.ShowInFolder(queue.LastKey());
        return status.Text();
    }

    fakes::FakeFileManager file_manager;
    test_support::FakeFileSystem files;
    ItemFiles files_{{queue, values, files, launch, file_manager, status, grid_commands}};
};

TEST_F(ItemFilesTest, WhatKeptTheFileFromOpeningIsNamed) {
    EXPECT_EQ(AfterOpening(Opened::kNoProgram),
              "No program is set to open \".mp4\" files like \"clip.mp4\"");
    EXPECT_EQ(AfterOpening(Opened::kProgramFailed),
              "\"clip.mp4\" did not open: the desktop has no working program for \".mp4\" files");
    EXPECT_EQ(AfterOpening(Opened::kNoOpener), "No program could be started to open \"clip.mp4\"");
    EXPECT_EQ(AfterShowing(Opened::kNoProgram),
              "No file manager answered, and no program opens folders: \"clip.mp4\" is in \"" +
                  values.download_dir + "\"");
}

TEST_F(ItemFilesTest, ANameTypedWithoutAnExtensionKeepsTheFilesType) {
    EXPECT_TRUE(files_.OnFileNameEdited(0, "holiday"));
    EXPECT_EQ(queue.At(0).name, "holiday.mp4");
    EXPECT_TRUE(std::filesystem::exists(InFolder("holiday.mp4")));
    EXPECT_TRUE(files_.OnFileNameEdited(0, "holiday.mkv"));
    EXPECT_EQ(queue.At(0).name, "holiday.mkv");
    EXPECT_TRUE(std::filesystem::exists(InFolder("holiday.mkv")));
}

} // namespace
} // namespace tarnwick::shell
