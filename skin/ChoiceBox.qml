// One text among a few, in the colours of the number boxes: the arrow keys
// step through them, Space or a click opens the list. A choice by the user
// comes as `activated(index)`; whoever handles it sets `currentIndex`. The
// list opens centred on the box, reaching as little below it as it can: the
// download grid, drawn above the skin, would hide what reaches over it.

import QtQuick
import QtQuick.Controls.Basic

ComboBox {
    id: choiceBox
    implicitWidth: 132
    implicitHeight: 28
    focusPolicy: Qt.StrongFocus
    font.pixelSize: 13

    contentItem: Text {
        leftPadding: 10
        rightPadding: 4
        text: choiceBox.displayText
        font: choiceBox.font
        color: "#ffffff"
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    indicator: Glyph {
        x: choiceBox.width - width - 9
        anchors.verticalCenter: parent.verticalCenter
        width: 12
        height: 12
        shape: "chevron"
        rotation: choiceBox.popup.visible ? 180 : 0
    }
    background: Rectangle {
        radius: 6
        color: choiceBox.hovered && !choiceBox.popup.visible ? "#2c383b" : "#263033"
        border.color: choiceBox.activeFocus || choiceBox.popup.visible ? "#9cb863" : "#56646a"
    }
    delegate: ItemDelegate {
        required property int index
        required property var modelData
        width: choiceBox.width - 8
        height: 22
        highlighted: choiceBox.highlightedIndex === index
        contentItem: Text {
            leftPadding: 6
            text: modelData
            font: choiceBox.font
            color: "#eef1ef"
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            radius: 4
            color: highlighted ? "#276892" : "transparent"
        }
    }
    popup: Popup {
        y: (choiceBox.height - implicitHeight) / 2
        width: choiceBox.width
        implicitHeight: contentItem.implicitHeight + 8
        padding: 4
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: choiceBox.popup.visible ? choiceBox.delegateModel : null
            currentIndex: choiceBox.highlightedIndex
        }
        background: Rectangle {
            radius: 6
            color: "#2f3a3d"
            border.color: "#6b7477"
        }
    }
    FocusRing {
        around: 2
        radius: 6
    }
}
