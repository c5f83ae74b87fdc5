// A title-bar button. `danger` turns it red under the mouse.

import QtQuick

Rectangle {
    id: windowButton
    property string glyph
    property string tip
    property bool danger: false
    signal clicked()
    width: 34
    height: 26
    radius: 5
    activeFocusOnTab: true
    Keys.onSpacePressed: windowButton.clicked()
    Keys.onReturnPressed: windowButton.clicked()
    Keys.onEnterPressed: windowButton.clicked()
    color: area.pressed ? (danger ? "#8e3b33" : "#1c2325")
                        : area.containsMouse ? (danger ? "#b5483f" : "#465357") : "transparent"
    Glyph {
        anchors.centerIn: parent
        width: 14
        height: 14
        shape: windowButton.glyph
        tone: area.containsMouse ? "white" : "grey"
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: windowButton.clicked()
    }
    FocusRing {
        around: 1
    }
    // Shown below the button, inside the window.
    SkinToolTip {
        visible: windowButton.tip !== "" && area.containsMouse
        text: windowButton.tip
        y: windowButton.height + 6
        x: windowButton.width - implicitWidth
    }
}
