// The title bar along the window's top edge: the program's name, the drag
// area that moves the window, and the window's buttons.

import QtQuick

Rectangle {
    id: titleBar
    // The skin, whose commands the buttons and the drag send.
    required property Item skin

    height: 43
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#2f3a3d" }
        GradientStop { position: 1.0; color: "#262f32" }
    }

    // Dragged, the window follows the mouse; a double click maximises it
    // or gives it its size back. The drag starts only once the mouse has
    // moved, so that the second click of a double click reaches the skin.
    MouseArea {
        objectName: "IDC_FS_Drag"
        property point pressedAt
        property bool dragging: false
        anchors.fill: parent
        onPressed: mouse => {
            pressedAt = Qt.point(mouse.x, mouse.y)
            dragging = false
        }
        onPositionChanged: mouse => {
            if (!pressed || dragging) return
            if (Math.abs(mouse.x - pressedAt.x) + Math.abs(mouse.y - pressedAt.y)
                    >= Qt.styleHints.startDragDistance) {
                dragging = true
                titleBar.skin.send("IDC_FS_Drag")
            }
        }
        onDoubleClicked: titleBar.skin.send("IDC_FS_Maximize")
    }

    Logo {
        x: 13
        anchors.verticalCenter: parent.verticalCenter
        width: 24
        height: 24
    }
    Text {
        id: titleText
        x: 46
        anchors.verticalCenter: parent.verticalCenter
        text: "Tarnwick"
        color: "#ffffff"
        font.pixelSize: 15
        font.bold: true
    }
    Text {
        anchors.left: titleText.right
        anchors.leftMargin: 10
        anchors.baseline: titleText.baseline
        text: "video downloader"
        color: "#8f9a9c"
        font.pixelSize: 12
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        WindowButton {
            objectName: "IDC_FS_Minimize"
            glyph: "minimize"
            tip: "Minimise"
            onClicked: titleBar.skin.send(objectName)
        }
        WindowButton {
            objectName: "IDC_FS_Maximize"
            glyph: titleBar.skin.maximized ? "restore" : "maximize"
            tip: titleBar.skin.maximized ? "Restore the window's size" : "Maximise"
            onClicked: titleBar.skin.send(objectName)
        }
        WindowButton {
            objectName: "IDC_FS_Tray"
            glyph: "tray"
            tip: "Hide in the tray"
            onClicked: titleBar.skin.send(objectName)
        }
        WindowButton {
            objectName: "IDC_FS_Close"
            glyph: "close"
            tip: "Exit (Ctrl+Q)"
            danger: true
            onClicked: titleBar.skin.send(objectName)
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: "#1c2325"
    }
}
