// A small line drawing for buttons: icons/SHAPE-TONE.svg. An image shows in
// its own colours (recolouring it would take a graphical effects module the
// skin does not load), so each drawing is kept in every tone it is shown in:
// "light" (#eef1ef, on grey buttons), "dark" (#1f2a12, on green and yellow),
// "grey" (#c9d0d1) and "white" (#ffffff, the title bar's buttons at rest and
// under the mouse), "green" (#9cb863). Each file is drawn at the size it is
// shown at, so that its lines keep their width.

import QtQuick

Image {
    property string shape
    property string tone: "light"
    width: 16
    height: 16
    source: shape === "" ? "" : "icons/" + shape + "-" + tone + ".svg"
    // Rendered for the screen's pixel ratio, sharp at any scale.
    sourceSize: Qt.size(width, height)
}
