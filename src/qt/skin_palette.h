// The palette the skin's colours make, for what Qt draws beside the skin: the
// grid gives it to the window it lies in, and the boxes and the folder
// chooser opened over that window take it, so that they are as dark (or as
// light) as the skin.
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace tarnwick::qt {

struct SkinColours {
    QColor background; // windows, and the fields and lists in them
    QColor text;
    QColor button;
    QColor button_text;
    QColor highlight;
    QColor highlighted_text;
};

QPalette SkinPalette(const SkinColours& colours);

// Gives a box or dialog opened over `parent` the palette of the window that
// `parent` lies in; without a parent it keeps the desktop's.
void TakeSkinPalette(QWidget& dialog, const QWidget* parent);

} // namespace tarnwick::qt
