// The program's icon, at the size it is given.

import QtQuick

Image {
    source: "icons/logo.svg"
    // Rendered for the screen's pixel ratio, sharp at any scale.
    sourceSize: Qt.size(width, height)
}
