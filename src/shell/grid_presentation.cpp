#include "shell/grid_presentation.h"

#include <string>

namespace tarnwick::shell {
namespace {

struct ColumnSetup {
    const char* caption;
    int width_twips;
    bool editable;
};

constexpr ColumnSetup kColumns[list::kColumnCount] = {
    {" ", 300, false},
    {"Video URL", 3800, false},
    {"Local File Name", 1800, true},
    {"Download Status", 1700, false},
    {"File Size", 750, false},
};

constexpr platform::Rgb kWhite{255, 255, 255};

} // namespace

bool GridPresentation::FormatDownloadGrid(bool bInit,
                                          const std::shared_ptr<list::DownloadView>& view) {
    if (state_.GridFormatted) {
        try {
            grid_.Bind(view);
        } catch (...) {
            state_.GridFormatted = false;
        }
        return true;
    }
    const auto guarded = [this](auto&& step) {
        try {
            step();
        } catch (...) {
            state_.GridFormatted = false;
        }
    };
    guarded([&] {
        grid_.SetCaption("");
        grid_.ResetDisplayOptions();
        grid_.Bind(view);
    });
    guarded([&] { SetUpColumns(); });
    guarded([&] { SetUpColours(); });
    if (!bInit) state_.GridFormatted = true;
    return true;
}

void GridPresentation::SetUpColumns() {
    for (int column = 0; column < list::kColumnCount; ++column) {
        const ColumnSetup& setup = kColumns[column];
        grid_.SetColumn(column, setup.caption, setup.width_twips, setup.editable);
    }
}

void GridPresentation::SetUpColours() {
    grid_.SetAppearance({233, 225, 225}, {39, 104, 146});
    grid_.SetAppearanceGroup(0, {156, 184, 99}, std::nullopt);
    grid_.SetAppearanceGroup(1, {107, 116, 119}, kWhite);
    grid_.SetAppearanceGroup(2, kWhite, std::nullopt);
    grid_.SetAppearanceGroup(3, {57, 69, 73}, kWhite);
    grid_.SetAppearanceGroup(4, {255, 199, 0}, std::nullopt);
}

void GridPresentation::LocateCurrentRow() {
    state_.CurrentRow.reset();
    const std::string id = std::to_string(state_.CurrentIndex + 1);
    const int rows = grid_.RowCount();
    for (int row = 0; row < rows; ++row) {
        if (grid_.CellText(row, list::kColumnID) == id) {
            state_.CurrentRow = row;
            return;
        }
    }
}

void GridPresentation::ShowDownloadGrid() {
    grid_.SetVisible(true);
    grid_.BringToFront();
}

void GridPresentation::HideDownloadGrid() { grid_.SetVisible(false); }

} // namespace tarnwick::shell
