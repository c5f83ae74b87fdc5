// Paints one Status cell as a progress bar with its percentage centred: the
// bar in colour `bar` from the left edge, the rest of the cell in `fill`, the
// text in `fill` over the bar and in `bar` to its right.
#pragma once

#include "shell/progress_bar.h"

#include <QColor>
#include <QRect>

class QPainter;

namespace tarnwick::qt {

void PaintProgressBar(QPainter& painter, const QRect& cell, const shell::ProgressBarLayout& layout,
                      const QColor& bar, const QColor& fill);

} // namespace tarnwick::qt
