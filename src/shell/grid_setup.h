// How the download grid looks: its columns, captions, widths and colours,
// set up once; and its visibility over the skin.
#pragma once

#include "platform/grid.h"

namespace tarnwick::shell {

// Sets the caption, display options, columns and colours up.
void SetUpGrid(platform::Grid& grid);

// Visible and in front of the skin.
void ShowDownloadGrid(platform::Grid& grid);
void HideDownloadGrid(platform::Grid& grid);

} // namespace tarnwick::shell
