#include "settings/download_folder_choice.h"

#include "settings_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::settings {
namespace {

using SkinWrite = fakes::RecordingSkin::Write;

class DownloadFolderChoiceTest : public SettingsFixture {
protected:
    DownloadFolderChoiceTest() { state.DownloadDir = "/home/ann/Downloaded Videos"; }
};

TEST_F(DownloadFolderChoiceTest, AChosenFolderReachesTheSkinBeforeItBecomesTheDirectory) {
    chooser.answer = "/home/ann/Films";
    std::string directory_while_published;
    skin.on_write = [&](const SkinWrite&) { directory_while_published = state.DownloadDir; };
    folder_choice.cmdBrowse_Click();
    EXPECT_EQ(chooser.prompts, std::vector<std::string>{
                                   "Please select the desired Download directory then press Ok."});
    EXPECT_EQ(skin.writes, (std::vector<SkinWrite>{{kSkinDownloadDir, "/home/ann/Films"}}));
    EXPECT_EQ(directory_while_published, "/home/ann/Downloaded Videos");
    EXPECT_EQ(state.DownloadDir, "/home/ann/Films");
}

TEST_F(DownloadFolderChoiceTest, ACancelChangesNothingButTheFollowingSaveWritesBothSettings) {
    state.MonitorEnabled = true;
    chooser.answer = "";
    folder_choice.cmdBrowse_Click();
    EXPECT_TRUE(skin.writes.empty());
    EXPECT_EQ(state.DownloadDir, "/home/ann/Downloaded Videos");
    settings.SaveSettings();
    EXPECT_EQ(StoredSetting(kMonitorSetting), "True");
    EXPECT_EQ(StoredSetting(kDownloadDirSetting), "/home/ann/Downloaded Videos");
}

TEST_F(DownloadFolderChoiceTest, AFailingChooserActsAsACancel) {
    chooser.fails = true;
    EXPECT_EQ(folder_choice.BrowseForFolder("Pick"), "");
    folder_choice.cmdBrowse_Click();
    EXPECT_TRUE(skin.writes.empty());
    EXPECT_EQ(state.DownloadDir, "/home/ann/Downloaded Videos");
}

TEST_F(DownloadFolderChoiceTest, APathIsCutAtItsFirstNul) {
    chooser.answer = std::string("/media/usb\0stale", 16);
    EXPECT_EQ(folder_choice.BrowseForFolder("Pick"), "/media/usb");
}

TEST_F(DownloadFolderChoiceTest, TheChoiceHoldsEvenWhenTheSkinRefusesToShowIt) {
    chooser.answer = "/home/ann/Films";
    skin.failing = {kSkinDownloadDir};
    folder_choice.cmdBrowse_Click();
    EXPECT_EQ(state.DownloadDir, "/home/ann/Films");
}

} // namespace
} // namespace tarnwick::settings
