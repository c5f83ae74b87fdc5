// The large button that starts a run, green, and stops it, yellow, while
// `running`.

import QtQuick

Rectangle {
    id: startStop
    property bool running: false
    signal clicked()
    width: 162
    height: 52
    radius: 8
    activeFocusOnTab: true
    Keys.onSpacePressed: startStop.clicked()
    Keys.onReturnPressed: startStop.clicked()
    Keys.onEnterPressed: startStop.clicked()
    readonly property color base: running ? "#ffc700" : "#9cb863"
    color: startArea.pressed ? Qt.darker(base, 1.15)
                             : startArea.containsMouse ? Qt.lighter(base, 1.08) : base
    border.color: running ? "#ffe07a" : "#b4cf7d"
    Behavior on color { ColorAnimation { duration: 120 } }
    Row {
        anchors.centerIn: parent
        spacing: 10
        Rectangle {
            width: 28
            height: 28
            radius: 14
            color: "#26000000"
            anchors.verticalCenter: parent.verticalCenter
            Glyph {
                anchors.centerIn: parent
                width: 12
                height: 12
                shape: startStop.running ? "stop" : "play"
                tone: "dark"
            }
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            Text {
                text: startStop.running ? "Stop" : "Start"
                color: "#1b230f"
                font.pixelSize: 16
                font.bold: true
            }
            Text {
                text: "Downloading"
                color: "#33401f"
                font.pixelSize: 11
            }
        }
    }
    MouseArea {
        id: startArea
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: startStop.clicked()
    }
    FocusRing {}
}
