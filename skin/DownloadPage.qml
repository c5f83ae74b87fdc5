// The Download page: the address field and its Add button, the check boxes,
// the commands of the download list and the well the program lays the list
// over, the download folder and the Start/Stop button. It fills the skin,
// so its places are the skin's.

import QtQuick
import QtQuick.Controls.Basic

Item {
    id: page
    // The skin, whose variables the controls follow and whose commands they send.
    required property Item skin
    // The address field's text, which the program may write.
    property alias address: addressField.text
    // The inside of the well, where the program lays the download grid.
    readonly property rect gridArea: Qt.rect(gridWell.x + 2, gridWell.y + 2, gridWell.width - 4,
                                             gridWell.height - 4)

    // Hidden pages fade out but take no clicks meanwhile.
    enabled: skin.page === "Download"
    visible: opacity > 0
    opacity: enabled ? 1 : 0
    Behavior on opacity { NumberAnimation { duration: 140 } }

    function addAddress() {
        skin.send("IDC_FS_addDownloadURL")
        // Keep the address visible, selected so that the next paste replaces it.
        addressField.selectAll()
    }

    Caption {
        x: 36
        y: 104
        text: "Video page address"
    }
    Rectangle {
        anchors.left: parent.left
        anchors.leftMargin: 36
        y: 122
        anchors.right: addButton.left
        anchors.rightMargin: 8
        height: 38
        radius: 6
        color: "#263033"
        border.width: addressField.activeFocus ? 2 : 1
        border.color: addressField.activeFocus ? "#9cb863" : "#56646a"

        TextField {
            id: addressField
            objectName: "addressField"
            anchors.fill: parent
            anchors.leftMargin: 6
            anchors.rightMargin: 6
            verticalAlignment: TextInput.AlignVCenter
            color: "#ffffff"
            font.pixelSize: 13
            selectByMouse: true
            selectionColor: "#276892"
            selectedTextColor: "#ffffff"
            placeholderText: "Paste the address of a video page"
            placeholderTextColor: "#7f8a8d"
            background: null
            // The focus is here when the window opens.
            focus: true
            onTextChanged: page.skin.store["_root.video_url"] = text
            onAccepted: page.addAddress()
        }
    }
    SkinButton {
        id: addButton
        objectName: "IDC_FS_addDownloadURL"
        anchors.right: parent.right
        anchors.rightMargin: 40
        y: 122
        width: 120
        implicitHeight: 38
        accent: true
        glyph: "plus"
        label: "Add to list"
        tip: "Add the address to the download list (Enter)"
        onClicked: page.addAddress()
    }

    CheckLine {
        objectName: "monitorCheck"
        x: 36
        y: 172
        checked: page.skin.valueOf("_root.autoToDownloadList_CB") === "1"
        text: "Watch the clipboard and add copied video addresses"
        onToggled: page.skin.toggleMonitor()
    }
    CheckLine {
        objectName: "ytDlpCheck"
        anchors.right: parent.right
        anchors.rightMargin: 40
        y: 172
        checked: page.skin.valueOf("_root.ytDlp_CB") === "1"
        text: "Use yt-dlp for other sites"
        onToggled: page.skin.toggleYtDlp()
    }

    // Grid header and its commands.
    Text {
        x: 36
        y: 228
        text: "Download list"
        color: "#ffffff"
        font.pixelSize: 14
        font.bold: true
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 40
        y: 224
        spacing: 4
        SkinButton {
            objectName: "IDC_FS_selectAllD"
            width: 32; implicitHeight: 28
            glyph: "selectAll"
            tip: "Select all (Ctrl+A)"
            onClicked: page.skin.send(objectName)
        }
        SkinButton {
            objectName: "IDC_FS_moveUp"
            width: 32; implicitHeight: 28
            glyph: "up"
            tip: "Move the first selected item up (Alt+Up)"
            onClicked: page.skin.send(objectName)
        }
        SkinButton {
            objectName: "IDC_FS_moveDown"
            width: 32; implicitHeight: 28
            glyph: "down"
            tip: "Move the first selected item down (Alt+Down)"
            onClicked: page.skin.send(objectName)
        }
        SkinButton {
            objectName: "IDC_FS_retryFailedD"
            width: 32; implicitHeight: 28
            glyph: "retry"
            tip: "Retry failed items"
            onClicked: page.skin.send(objectName)
        }
        SkinButton {
            objectName: "IDC_FS_removeSelectedD"
            width: 32; implicitHeight: 28
            glyph: "remove"
            tip: "Remove the selected items (Delete)"
            onClicked: page.skin.send(objectName)
        }
        SkinButton {
            objectName: "ID_FS_clearComplete"
            width: 32; implicitHeight: 28
            glyph: "clear"
            tip: "Clear completed downloads"
            onClicked: page.skin.send(objectName)
        }
    }

    // Where Tab passes through the download grid: the program takes the
    // focus to the grid when Tab would come here.
    Item {
        objectName: "gridFocusSlot"
        activeFocusOnTab: true
        x: gridWell.x
        y: gridWell.y
    }

    // The well under the download grid (36, 259, 572 x 179 inside at the
    // least size), which takes the room the window gains.
    Rectangle {
        id: gridWell
        objectName: "gridWell"
        anchors.left: parent.left
        anchors.leftMargin: 34
        anchors.top: parent.top
        anchors.topMargin: 257
        anchors.right: parent.right
        anchors.rightMargin: 38
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 145
        radius: 3
        color: "#1f272a"
        border.color: "#171d1f"
        Rectangle {
            anchors.fill: parent
            anchors.margins: -1
            radius: 4
            color: "transparent"
            border.color: "#56646a"
            opacity: 0.6
        }
        Text {
            anchors.centerIn: parent
            text: "Added videos are listed here"
            color: "#56646a"
            font.pixelSize: 13
        }
    }
    // A thin bar along the well's lower edge moves while a run is under
    // way, a step each beat.
    Item {
        x: 36
        anchors.top: gridWell.bottom
        anchors.topMargin: 1
        width: gridWell.width - 4
        height: 3
        clip: true
        visible: page.skin.running
        Rectangle {
            id: runStripe
            readonly property int steps: 8
            x: -width + (page.skin.beat % steps) * (parent.width + width) / steps
            width: 140
            height: parent.height
            radius: 1.5
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0.0; color: "#00ffc700" }
                GradientStop { position: 0.5; color: "#ffc700" }
                GradientStop { position: 1.0; color: "#00ffc700" }
            }
        }
    }

    // Download folder, along the window's lower edge; the folder field
    // takes the room the window gains.
    Caption {
        x: 36
        y: startStop.y
        text: "Save videos to"
    }
    Rectangle {
        anchors.left: parent.left
        anchors.leftMargin: 36
        anchors.right: browseButton.left
        anchors.rightMargin: 6
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 77
        height: 34
        radius: 6
        color: "#263033"
        border.color: "#56646a"
        Glyph {
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            shape: "folder"
            tone: "green"
        }
        Text {
            objectName: "folderText"
            x: 34
            width: parent.width - 44
            anchors.verticalCenter: parent.verticalCenter
            text: page.skin.valueOf("_root.download_dir")
            color: "#dfe5e4"
            font.pixelSize: 13
            elide: Text.ElideMiddle
        }
    }
    SkinButton {
        id: browseButton
        objectName: "ID_FS_downloadBrowse"
        anchors.right: startStop.left
        anchors.rightMargin: 14
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 77
        width: 92
        label: "Browse…"
        tip: "Choose the download folder"
        onClicked: page.skin.send(objectName)
    }

    StartStopButton {
        id: startStop
        objectName: "startStopButton"
        anchors.right: parent.right
        anchors.rightMargin: 40
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 77
        running: page.skin.running
        onClicked: page.skin.send(page.skin.running ? "IDC_FS_stopDownload"
                                                    : "IDC_FS_startDownload")
    }

    CheckLine {
        objectName: "keepListCheck"
        x: 36
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 45
        checked: page.skin.valueOf("_root.keepList_CB") === "1"
        text: "Keep the list when Tarnwick closes"
        onToggled: page.skin.toggleKeepList()
    }
    CheckLine {
        objectName: "otherSitesCheck"
        x: 322
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 45
        checked: page.skin.valueOf("_root.otherSites_CB") === "1"
        text: "Also try pages of other sites"
        onToggled: page.skin.toggleOtherSites()
    }
}
