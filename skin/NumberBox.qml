// A whole number between `from` and `to`, typed or stepped with its buttons
// and the arrow keys; a change by the user comes as valueModified. A zero
// shows as `zeroText` when there is one.

import QtQuick
import QtQuick.Controls.Basic

SpinBox {
    id: numberBox
    property string zeroText: ""
    implicitWidth: 132
    implicitHeight: 28
    editable: true
    focusPolicy: Qt.StrongFocus
    font.pixelSize: 13
    validator: RegularExpressionValidator { regularExpression: /[0-9]{0,8}|No limit/ }
    textFromValue: (number, locale) => number === 0 && zeroText !== "" ? zeroText
                                                                         : String(number)
    valueFromText: (text, locale) => {
        const number = parseInt(text, 10)
        return isNaN(number) ? 0 : number
    }

    contentItem: TextInput {
        text: numberBox.displayText
        font: numberBox.font
        color: "#ffffff"
        selectionColor: "#276892"
        selectedTextColor: "#ffffff"
        selectByMouse: true
        horizontalAlignment: Qt.AlignHCenter
        verticalAlignment: Qt.AlignVCenter
        readOnly: !numberBox.editable
        validator: numberBox.validator
        inputMethodHints: Qt.ImhDigitsOnly
    }
    up.indicator: Rectangle {
        x: numberBox.width - width
        width: 26
        height: numberBox.height
        radius: 6
        color: numberBox.up.pressed ? "#3d484b" : numberBox.up.hovered ? "#56646a" : "#4a575b"
        Glyph {
            anchors.centerIn: parent
            width: 12
            height: 12
            shape: "plus"
        }
    }
    down.indicator: Rectangle {
        width: 26
        height: numberBox.height
        radius: 6
        color: numberBox.down.pressed ? "#3d484b"
               : numberBox.down.hovered ? "#56646a" : "#4a575b"
        Glyph {
            anchors.centerIn: parent
            width: 12
            height: 12
            shape: "minus"
        }
    }
    background: Rectangle {
        radius: 6
        color: "#263033"
        border.color: numberBox.activeFocus ? "#9cb863" : "#56646a"
    }
    FocusRing {
        around: 2
        radius: 6
    }
}
