// The small panel the Settings button opens, with the number boxes of the
// transfers. A box the user changes writes its variable, then sends its
// command; each box follows what the program writes back. Escape, or the
// button again, closes it.

import QtQuick

Rectangle {
    id: panel
    objectName: "settingsPanel"
    // The skin, whose variables the boxes follow and whose commands they send.
    required property Item skin
    // The button that opens the panel, which takes the focus back when the
    // panel closes with it.
    required property Item opener

    width: settingsGrid.implicitWidth + 36
    height: settingsGrid.y + settingsGrid.implicitHeight + 16
    visible: false
    radius: 8
    color: "#2f3a3d"
    border.color: "#6b7477"
    Keys.onEscapePressed: close()

    function open() {
        visible = true
        connectionsBox.forceActiveFocus(Qt.TabFocusReason)
    }
    function close() {
        const hadFocus = holdsFocus()
        visible = false
        if (hadFocus) opener.forceActiveFocus(Qt.TabFocusReason)
    }
    function holdsFocus() {
        for (let item = Window.activeFocusItem; item; item = item.parent) {
            if (item === panel) return true
        }
        return false
    }
    function numberOf(variable) {
        return Number(skin.valueOf(variable))
    }
    function change(variable, value, command) {
        skin.setVariable(variable, String(value))
        skin.send(command)
    }

    // Takes the presses that land on the panel itself.
    MouseArea {
        anchors.fill: parent
    }
    Caption {
        x: 18
        y: 14
        text: "Transfers"
    }
    Grid {
        id: settingsGrid
        x: 18
        y: 38
        columns: 3
        rowSpacing: 8
        columnSpacing: 12
        verticalItemAlignment: Grid.AlignVCenter

        Text {
            text: "Connections per download"
            color: "#dfe5e4"
            font.pixelSize: 13
        }
        NumberBox {
            id: connectionsBox
            objectName: "connectionsBox"
            from: 1
            to: 8
            value: panel.numberOf("_root.connections_NS")
            onValueModified: panel.change("_root.connections_NS", value, "ID_FS_connectionsChange")
        }
        Item { width: 1; height: 1 }

        Text {
            text: "Downloads at once"
            color: "#dfe5e4"
            font.pixelSize: 13
        }
        NumberBox {
            objectName: "downloadsAtOnceBox"
            from: 1
            to: 4
            value: panel.numberOf("_root.downloadsAtOnce_NS")
            onValueModified: panel.change("_root.downloadsAtOnce_NS", value,
                                          "ID_FS_downloadsAtOnceChange")
        }
        Item { width: 1; height: 1 }

        Text {
            text: "Speed limit"
            color: "#dfe5e4"
            font.pixelSize: 13
        }
        NumberBox {
            objectName: "speedLimitBox"
            from: 0
            to: 10000000
            stepSize: 50
            zeroText: "No limit"
            value: panel.numberOf("_root.speedLimit_NS")
            onValueModified: panel.change("_root.speedLimit_NS", value, "ID_FS_speedLimitChange")
        }
        Text {
            text: "KB/s"
            color: "#a9b2b4"
            font.pixelSize: 12
        }
    }
}
