// The small capitals over a group of controls.

import QtQuick

Text {
    color: "#a9b2b4"
    font.pixelSize: 11
    font.bold: true
    font.letterSpacing: 1.2
    font.capitalization: Font.AllUppercase
}
