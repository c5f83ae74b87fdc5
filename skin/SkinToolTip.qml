// A tooltip in the skin's colours.

import QtQuick
import QtQuick.Controls.Basic

ToolTip {
    id: tip
    delay: 500
    contentItem: Text {
        text: tip.text
        color: "#eef1ef"
        font.pixelSize: 12
    }
    background: Rectangle {
        color: "#1c2325"
        border.color: "#6b7477"
        radius: 4
    }
}
