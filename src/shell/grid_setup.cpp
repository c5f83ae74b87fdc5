#include "shell/grid_setup.h"

#include "list/download_queue.h"
#include "list/status_texts.h"

#include <string>

namespace tarnwick::shell {
namespace {

struct ColumnSetup {
    const char* caption;
    platform::ColumnWidth width;
    bool editable;
};

// Each column fits the widest of the texts it shows that are known before:
// the largest ID, the longest size text and the longest fixed names and
// statuses. The addresses take what is left.
const ColumnSetup& Column(int column) {
    static const ColumnSetup kColumns[platform::kColumnCount] = {
        {" ", {{std::to_string(list::DownloadQueue::kMaxItems)}}, false},
        {"Video URL", {{}, true}, false},
        {"Local File Name",
         {{status::kAutoDetect, status::kUnsupportedLink, status::kProcessFailed}},
         true},
        {"Download Status",
         {{status::kLinkNotSupported, status::kStartDownloading,
           std::string(status::kPreparingPrefix) + "100" + status::kPreparingSuffix}},
         false},
        {"File Size", {{"1023.9 MB"}}, false},
    };
    return kColumns[column];
}

constexpr platform::Rgb kWhite{255, 255, 255};

} // namespace

void SetUpGrid(platform::Grid& grid) {
    grid.SetCaption("");
    grid.ResetDisplayOptions();
    for (int column = 0; column < platform::kColumnCount; ++column) {
        const ColumnSetup& setup = Column(column);
        grid.SetColumn(column, setup.caption, setup.width, setup.editable);
    }
    // A streamed video's size grows as its bytes come ("11 MBso far..").
    grid.FitColumnToRows(platform::kColumnFileSize);
    // The skin's own background, around the rows and where there are none.
    grid.SetAppearance({43, 52, 55}, {39, 104, 146});
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
