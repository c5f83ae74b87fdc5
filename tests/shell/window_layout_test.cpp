#include "settings/setting_names.h"
#include "shell/shell_harness.h"

#include <ostream>

namespace tarnwick::shell {
namespace {

using platform::Rect;
using WindowLayoutTest = ShellHarness;

TEST_F(WindowLayoutTest, TheWindowComesBackWhereItWasLeftMaximisedOrNot) {
    store.values[settings::kWindowGeometrySetting] = "120,80,1000,700";
    store.values[settings::kWindowMaximizedSetting] = "True";
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_EQ(Log(log.begin() + 4, log.begin() + 10),
              (Log{"skin 0,0 648x585", "size 0,0 648x585", "load /opt/tarnwick/Main.qml",
                   "geometry 120,80 1000x700", "maximize", "grid 36,259 572x179"}));
    EXPECT_EQ(window.areas_asked, (std::vector<Rect>{{120, 80, 1000, 700}}))
        << "the screen the window was on";
}

TEST_F(WindowLayoutTest, NothingStoredLeavesTheWindowWhereTheDesktopPutsIt) {
    store.values[settings::kWindowGeometrySetting] = "120,80,1000";
    ASSERT_TRUE(lifecycle.StartUp());
    for (const std::string& entry : log) {
        EXPECT_FALSE(entry.starts_with("geometry") || entry == "maximize") << entry;
    }
}

struct Fitting {
    const char* name;
    Rect stored;
    Rect area;
    Rect placed;
};

void PrintTo(const Fitting& c, std::ostream* out) { *out << c.name; }

class FitIntoTheScreen : public testing::TestWithParam<Fitting> {};

TEST_P(FitIntoTheScreen, MovesAndCutsButBelowTheLeastSizeOnlyForASmallerScreen) {
    EXPECT_EQ(WindowLayout::FitInto(GetParam().stored, GetParam().area), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitIntoTheScreen,
    testing::Values(
        Fitting{"Inside", {100, 50, 800, 600}, {0, 0, 1920, 1050}, {100, 50, 800, 600}},
        Fitting{"OffTheRightAndBottom",
                {1500, 900, 800, 600},
                {0, 0, 1920, 1050},
                {1120, 450, 800, 600}},
        Fitting{"OffTheLeftAndTop", {-300, -40, 800, 600}, {0, 32, 1920, 1018}, {0, 32, 800, 600}},
        Fitting{
            "LargerThanTheScreen", {-10, -10, 3000, 2000}, {0, 0, 1280, 800}, {0, 0, 1280, 800}},
        Fitting{"BelowTheLeastSize", {100, 50, 300, 200}, {0, 0, 1920, 1050}, {100, 50, 648, 585}},
        Fitting{"ScreenSmallerThanTheLeastSize",
                {100, 50, 800, 600},
                {0, 0, 640, 480},
                {0, 0, 640, 480}},
        Fitting{"SecondScreenOnTheLeft",
                {-1800, 100, 900, 700},
                {-1920, 0, 1920, 1080},
                {-1800, 100, 900, 700}}),
    [](const testing::TestParamInfo<Fitting>& info) { return info.param.name; });

TEST_F(WindowLayoutTest, TheGridLiesOverTheSkinsRoomWhereverTheSkinPutsIt) {
    skin.grid_area = Rect{40, 270, 600, 200};
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_EQ(log[7], "grid 40,270 600x200");
    ASSERT_NE(skin.layout_listener, nullptr);
    log.clear();
    skin.grid_area = Rect{40, 270, 1204, 415};
    skin.layout_listener->OnGridAreaChanged();
    EXPECT_EQ(log, (Log{"grid 40,270 1204x415"}));
}

TEST_F(WindowLayoutTest, PlaceSizeAndMaximisingAreStoredOnceTheWindowRestsAndAtExit) {
    ASSERT_TRUE(lifecycle.StartUp());
    ASSERT_NE(window.geometry_listener, nullptr);
    store.writes.clear();
    window.normal = {200, 100, 900, 650};
    window.geometry_listener->OnWindowGeometryChanged();
    clock.Advance(WindowLayout::kStoreDelay - std::chrono::milliseconds(1));
    window.normal = {210, 100, 900, 650};
    window.geometry_listener->OnWindowGeometryChanged();
    clock.Advance(WindowLayout::kStoreDelay - std::chrono::milliseconds(1));
    EXPECT_TRUE(store.writes.empty()) << "the window still moves";
    clock.Advance(std::chrono::milliseconds(1));
    EXPECT_EQ(store.writes, (std::vector<std::pair<std::string, std::string>>{
                                {settings::kWindowGeometrySetting, "210,100,900,650"},
                                {settings::kWindowMaximizedSetting, "False"}}));

    store.writes.clear();
    commands.Run("IDC_FS_Maximize");
    window.geometry_listener->OnWindowGeometryChanged();
    commands.Run("IDC_FS_Close");
    EXPECT_EQ(store.values[settings::kWindowMaximizedSetting], "True");
    EXPECT_EQ(store.values[settings::kWindowGeometrySetting], "210,100,900,650")
        << "the place it is restored to";
    clock.Advance(WindowLayout::kStoreDelay);
    EXPECT_EQ(store.writes.size(), 2u) << "stored once, at the exit";
}

TEST_F(WindowLayoutTest, TheSkinsBordersResizeFromTheirEdges) {
    commands.OnSkinCommand("IDC_FS_Resize", "right bottom");
    commands.OnSkinCommand("IDC_FS_Resize", "left");
    commands.OnSkinCommand("IDC_FS_Resize", "top  left");
    commands.OnSkinCommand("IDC_FS_Resize", "middle");
    commands.OnSkinCommand("IDC_FS_Resize", "");
    commands.OnSkinCommand("IDC_FS_Maximize", "");
    commands.OnSkinCommand("IDC_FS_Maximize", "");
    EXPECT_EQ(log, (Log{"resize 12", "resize 1", "resize 3", "maximize", "restore"}));
}

} // namespace
} // namespace tarnwick::shell
