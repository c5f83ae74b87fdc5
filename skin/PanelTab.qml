// A tab of the settings panel: its caption in small capitals, underlined in
// green while its section is shown. Space, Enter or a click shows it.

import QtQuick

Item {
    id: tab
    property string label
    property bool current: false
    signal clicked()
    width: caption.implicitWidth + 12
    height: 24
    activeFocusOnTab: true
    Keys.onSpacePressed: tab.clicked()
    Keys.onReturnPressed: tab.clicked()
    Keys.onEnterPressed: tab.clicked()
    Caption {
        id: caption
        x: 6
        y: 4
        text: tab.label
        color: tab.current ? "#ffffff" : area.containsMouse ? "#dfe5e4" : "#a9b2b4"
    }
    Rectangle {
        anchors.bottom: parent.bottom
        x: 4
        width: parent.width - 8
        height: 2
        radius: 1
        color: tab.current ? "#9cb863" : "transparent"
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: tab.clicked()
    }
    FocusRing {
        around: 0
        radius: 4
    }
}
