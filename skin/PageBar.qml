// The row under the title bar: the tabs of the pages at its left, the Help,
// Web site and Settings buttons at its right, and the rule under it.

import QtQuick

Item {
    id: pageBar
    // The skin, whose page the tabs open and whose commands the buttons send.
    required property Item skin
    // The panel the Settings button opens and closes.
    required property Item settingsPanel
    // Where the focus goes back to when the settings panel closes.
    readonly property alias settingsButton: settingsButton

    Row {
        x: 24
        y: 52
        spacing: 4
        PageTab {
            objectName: "IDC_FS_Download"
            label: "Download"
            current: pageBar.skin.page === "Download"
            marked: pageBar.skin.downloadTabMarked
            pulse: pageBar.skin.pulse
            onClicked: pageBar.skin.openPage("Download")
        }
        PageTab {
            objectName: "IDC_FS_History"
            label: "History"
            current: pageBar.skin.page === "History"
            onClicked: pageBar.skin.openPage("History")
        }
        PageTab {
            objectName: "IDC_FS_About"
            label: "About"
            current: pageBar.skin.page === "About"
            onClicked: pageBar.skin.openPage("About")
        }
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 36
        y: 56
        spacing: 4
        SkinButton {
            objectName: "IDC_FS_Help"
            quiet: true
            glyph: "help"
            label: "Help"
            implicitHeight: 30
            tip: "Open the help page"
            onClicked: pageBar.skin.send(objectName)
        }
        SkinButton {
            objectName: "ID_FS_webSite"
            quiet: true
            glyph: "globe"
            label: "Web site"
            implicitHeight: 30
            tip: "Visit Tarnwick's home page"
            onClicked: pageBar.skin.send(objectName)
        }
        SkinButton {
            id: settingsButton
            objectName: "settingsButton"
            quiet: !pageBar.settingsPanel.visible
            glyph: "gear"
            label: "Settings"
            implicitHeight: 30
            tip: pageBar.settingsPanel.visible ? ""
                 : "Transfers, quality and logins"
            onClicked: pageBar.settingsPanel.visible ? pageBar.settingsPanel.close()
                                                     : pageBar.settingsPanel.open()
        }
    }
    Rectangle {
        x: 24
        y: 90
        width: parent.width - 48
        height: 1
        color: "#4f5c60"
    }
}
