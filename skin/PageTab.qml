// A page tab with a green underline while its page is open. A `marked` tab
// shows a yellow dot, which blinks with `pulse`.

import QtQuick

Item {
    id: tab
    property string label
    property bool current: false
    property bool marked: false
    property bool pulse: false
    signal clicked()
    width: caption.implicitWidth + (marked ? 42 : 28)
    height: 38
    activeFocusOnTab: true
    Keys.onSpacePressed: tab.clicked()
    Keys.onReturnPressed: tab.clicked()
    Keys.onEnterPressed: tab.clicked()
    Text {
        id: caption
        x: 14
        anchors.verticalCenter: parent.verticalCenter
        text: tab.label
        font.pixelSize: 14
        font.bold: tab.current
        color: tab.current ? "#ffffff" : tabArea.containsMouse ? "#dfe5e4" : "#a9b2b4"
    }
    Rectangle {
        visible: tab.marked
        anchors.left: caption.right
        anchors.leftMargin: 7
        anchors.verticalCenter: caption.verticalCenter
        width: 8
        height: 8
        radius: 4
        color: "#ffc700"
        opacity: tab.marked && tab.pulse ? 0.3 : 1
    }
    Rectangle {
        anchors.bottom: parent.bottom
        x: 8
        width: parent.width - 16
        height: 3
        radius: 1.5
        color: tab.current ? "#9cb863" : tab.marked ? "#ffc700" : "transparent"
    }
    MouseArea {
        id: tabArea
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: tab.clicked()
    }
    FocusRing {
        around: -2
        radius: 5
    }
}
