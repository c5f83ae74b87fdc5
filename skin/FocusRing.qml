// The frame around the control that has the keyboard's focus: placed inside
// the control, it follows its parent's focus and rounding.

import QtQuick

Rectangle {
    property real around: 3
    anchors.fill: parent
    anchors.margins: -around
    radius: (parent.radius === undefined ? 0 : parent.radius) + around
    color: "transparent"
    border.width: 2
    border.color: "#ffc700"
    visible: parent.activeFocus
}
