#include "shell/grid_setup.h"

namespace tarnwick::shell {
namespace {

struct ColumnSetup {
    const char* caption;
    int width_twips;
    bool editable;
};

constexpr ColumnSetup kColumns[platform::kColumnCount] = {
    {" ", 300, false},
    {"Video URL", 3800, false},
    {"Local File Name", 1800, true},
    {"Download Status", 1700, false},
    {"File Size", 750, false},
};

constexpr platform::Rgb kWhite{255, 255, 255};

} // namespace

void SetUpGrid(platform::Grid& grid) {
    grid.SetCaption("");
    grid.ResetDisplayOptions();
    for (int column = 0; column < platform::kColumnCount; ++column) {
        const ColumnSetup& setup = kColumns[column];
        grid.SetColumn(column, setup.caption, setup.width_twips, setup.editable);
    }
    grid.SetAppearance({233, 225, 225}, {39, 104, 146});
    grid.SetAppearanceGroup(0, {156, 184, 99}, std::nullopt);
    grid.SetAppearanceGroup(1, {107, 116, 119}, kWhite);
    grid.SetAppearanceGroup(2, kWhite, std::nullopt);
    grid.SetAppearanceGroup(3, {57, 69, 73}, kWhite);
    grid.SetAppearanceGroup(4, {255, 199, 0}, std::nullopt);
}

void ShowDownloadGrid(platform::Grid& grid) {
    grid.SetVisible(true);
    grid.BringToFront();
}

void HideDownloadGrid(platform::Grid& grid) { grid.SetVisible(false); }

} // namespace tarnwick::shell
