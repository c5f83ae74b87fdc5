// A check box with its label. It shows `checked` and leaves the change to
// whoever handles `toggled`.

import QtQuick

Item {
    id: line
    property string text
    property bool checked: false
    signal toggled()
    width: row.implicitWidth
    height: 24
    activeFocusOnTab: true
    Keys.onSpacePressed: line.toggled()
    FocusRing {
        around: 2
        radius: 4
    }
    Row {
        id: row
        spacing: 9
        anchors.verticalCenter: parent.verticalCenter
        Rectangle {
            width: 18
            height: 18
            radius: 4
            anchors.verticalCenter: parent.verticalCenter
            color: line.checked ? "#9cb863" : "#263033"
            border.color: line.checked ? "#b4cf7d"
                          : area.containsMouse ? "#9cb863" : "#6b7477"
            Image {
                anchors.fill: parent
                visible: line.checked
                source: "icons/check.svg"
                sourceSize: Qt.size(width, height)
            }
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: line.text
            color: "#dfe5e4"
            font.pixelSize: 13
        }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: line.toggled()
    }
}
