// A button with an optional glyph and label. `accent` fills it green;
// `quiet` leaves it flat until the mouse is over it.

import QtQuick

Rectangle {
    id: button
    property string label
    property string glyph
    property string tip
    property bool accent: false
    property bool quiet: false
    // The room either side of the glyph and label together.
    property int padding: 28
    readonly property bool hovered: area.containsMouse
    signal clicked()

    implicitHeight: 34
    implicitWidth: content.implicitWidth + padding
    radius: 6
    activeFocusOnTab: true
    Keys.onSpacePressed: button.clicked()
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    color: {
        if (accent) return area.pressed ? "#86a04f" : hovered ? "#adc877" : "#9cb863"
        if (quiet) return area.pressed ? "#3a4649" : hovered ? "#465357" : "transparent"
        return area.pressed ? "#3d484b" : hovered ? "#56646a" : "#4a575b"
    }
    border.width: quiet ? 0 : 1
    border.color: accent ? "#b4cf7d" : "#5f6d71"
    Behavior on color { ColorAnimation { duration: 90 } }

    Row {
        id: content
        anchors.centerIn: parent
        spacing: 7
        Glyph {
            visible: button.glyph !== ""
            shape: button.glyph
            tone: button.accent ? "dark" : "light"
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            visible: button.label !== ""
            text: button.label
            color: button.accent ? "#1f2a12" : "#eef1ef"
            font.pixelSize: 13
            font.bold: button.accent
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }

    FocusRing {}

    // Shown above the button: the grid covers the area just below the toolbar.
    SkinToolTip {
        visible: button.tip !== "" && button.hovered
        text: button.tip
        y: -implicitHeight - 6
    }
}
