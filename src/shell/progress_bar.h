// The geometry of the progress bar painted in a downloading item's Status cell.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::shell {

// Rounds to the nearest integer, exact halves to the even neighbour.
double RoundHalfEven(double value);

struct ProgressBarLayout {
    int percent = 0;   // clamped to 0..100
    std::string text;  // percent followed by "%"
    int bar_left = 0;  // first pixel column of the bar
    int bar_right = 0; // one past the bar's last pixel column
};

// The bar in a cell spanning pixel columns [left, right). The bar runs from
// the left edge over percent/100 of the width (rounded half to even) and
// stops one column short of that end, as the cell's last column stays free
// at 100%.
ProgressBarLayout LayoutProgressBar(int32_t percent, int left, int right);

} // namespace tarnwick::shell
