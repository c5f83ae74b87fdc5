// The status line along the window's lower edge: a dot that blinks while a
// run is under way, the status text and the program's version.

import QtQuick

Rectangle {
    id: statusBar
    // The skin, whose status text and run the line shows.
    required property Item skin

    height: 34
    color: "#252e31"
    Rectangle {
        width: parent.width
        height: 1
        color: "#1c2325"
    }
    Rectangle {
        id: statusDot
        x: 36
        anchors.verticalCenter: parent.verticalCenter
        width: 8
        height: 8
        radius: 4
        color: statusBar.skin.running ? "#ffc700" : "#9cb863"
        opacity: statusBar.skin.running && statusBar.skin.pulse ? 0.35 : 1
    }
    Text {
        id: statusText
        objectName: "statusText"
        x: 52
        anchors.verticalCenter: parent.verticalCenter
        width: versionLabel.x - x - 16
        elide: Text.ElideRight
        readonly property string said: statusBar.skin.valueOf("_root.statusTxt") !== ""
              ? statusBar.skin.valueOf("_root.statusTxt")
              : (statusBar.skin.running ? "Downloading…" : "Ready")
        // A video downloaded before ends in "— Show", a link that shows its file.
        readonly property bool showsFile: said.endsWith(" \u2014 Show")
        text: showsFile ? said.slice(0, -4).replace(/&/g, "&amp;").replace(/</g, "&lt;")
                          + "<a href=\"show\">Show</a>"
                        : said
        textFormat: showsFile ? Text.StyledText : Text.PlainText
        linkColor: "#b4cf7d"
        onLinkActivated: statusBar.skin.send("ID_FS_statusShow")
        color: "#dfe5e4"
        font.pixelSize: 12
    }
    // A status too long for the line shows whole in a tooltip.
    MouseArea {
        id: statusHover
        anchors.fill: statusText
        hoverEnabled: true
        acceptedButtons: Qt.NoButton
    }
    SkinToolTip {
        visible: statusHover.containsMouse && statusText.truncated
        text: statusText.said
        y: -implicitHeight - 6
    }
    Text {
        id: versionLabel
        anchors.right: parent.right
        anchors.rightMargin: 36
        anchors.verticalCenter: parent.verticalCenter
        text: statusBar.skin.versionText
        color: "#7f8a8d"
        font.pixelSize: 12
    }
}
