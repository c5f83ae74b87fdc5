// The History page: a search field, the actions on the chosen video, and
// the well of what was downloaded, newest first. The program writes the rows
// it shows ("_root.historyRows", a line each of date, title, size and
// folder separated by tabs), how many the search found ("_root.historyCount")
// and the index of the first row shown ("_root.historyFirst"). The page
// writes what is typed ("_root.historySearch"), where it scrolled to and how
// many rows it has room for ("_root.historyFirst", "_root.historyShown"),
// and the index of the chosen row ("_root.historySelected") before it sends
// each command. It fills the skin, so its places are the skin's.

import QtQuick
import QtQuick.Controls.Basic

Item {
    id: page
    required property Item skin

    readonly property int rowHeight: 24
    readonly property var rows: {
        const text = skin.valueOf("_root.historyRows")
        return text === "" ? [] : text.replace(/\n$/, "").split("\n").map(line => line.split("\t"))
    }
    readonly property int count: Number(skin.valueOf("_root.historyCount")) || 0
    readonly property int first: Number(skin.valueOf("_root.historyFirst")) || 0
    readonly property int rowsShown: Math.max(1, Math.floor((well.height - 30) / rowHeight))
    // The index of the chosen row among all found; -1 for none.
    property int chosen: -1

    enabled: skin.page === "History"
    visible: opacity > 0
    opacity: enabled ? 1 : 0
    Behavior on opacity { NumberAnimation { duration: 140 } }

    onRowsShownChanged: scrollTo(first)
    Component.onCompleted: skin.setVariable("_root.historyShown", String(rowsShown))

    function scrollTo(row) {
        const last = Math.max(0, count - rowsShown)
        skin.setVariable("_root.historyShown", String(rowsShown))
        skin.setVariable("_root.historyFirst", String(Math.max(0, Math.min(row, last))))
        skin.send("ID_FS_historyScroll")
    }
    function choose(row) {
        if (row < 0 || row >= count) return
        chosen = row
        if (row < first) scrollTo(row)
        else if (row >= first + rowsShown) scrollTo(row - rowsShown + 1)
    }
    function act(command) {
        skin.setVariable("_root.historySelected", String(chosen))
        skin.send(command)
    }

    Caption {
        x: 36
        y: 104
        text: "Search the history (title or address)"
    }
    Rectangle {
        anchors.left: parent.left
        anchors.leftMargin: 36
        y: 122
        anchors.right: clearButton.left
        anchors.rightMargin: 8
        height: 38
        radius: 6
        color: "#263033"
        border.width: searchField.activeFocus ? 2 : 1
        border.color: searchField.activeFocus ? "#9cb863" : "#56646a"
        TextField {
            id: searchField
            objectName: "historySearchField"
            anchors.fill: parent
            anchors.leftMargin: 6
            anchors.rightMargin: 6
            verticalAlignment: TextInput.AlignVCenter
            color: "#ffffff"
            font.pixelSize: 13
            selectByMouse: true
            selectionColor: "#276892"
            placeholderText: "Type to find a video you downloaded"
            placeholderTextColor: "#8a9699"
            background: null
            onTextEdited: {
                page.chosen = -1
                page.skin.setVariable("_root.historySearch", text)
                page.skin.send("ID_FS_historySearch")
            }
            Keys.onDownPressed: { page.choose(Math.max(page.chosen, page.first - 1) + 1); list.forceActiveFocus() }
        }
    }
    CheckLine {
        objectName: "downloadAgainCheck"
        x: 36
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 45
        checked: page.skin.valueOf("_root.downloadAgain_CB") === "1"
        text: "Download videos again that were downloaded before"
        onToggled: {
            const on = !checked
            page.skin.setVariable("_root.downloadAgain_CB", on ? "1" : "0")
            page.skin.send(on ? "ID_FS_downloadAgainCheck" : "ID_FS_downloadAgainUncheck")
        }
    }
    SkinButton {
        id: clearButton
        objectName: "ID_FS_historyClear"
        anchors.right: parent.right
        anchors.rightMargin: 40
        y: 124
        label: "Clear history…"
        tip: "Forget every video in the history; the files stay"
        onClicked: page.skin.send(objectName)
    }

    Text {
        x: 36
        y: 178
        text: page.count === 1 ? "1 video" : page.count + " videos"
        color: "#ffffff"
        font.pixelSize: 14
        font.bold: true
    }
    // yt-dlp's download archive, both ways.
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 40
        y: 172
        spacing: 4
        SkinButton {
            objectName: "ID_FS_historyImport"
            label: "Import yt-dlp archive…"
            implicitHeight: 28
            padding: 16
            tip: "Count the videos of a yt-dlp --download-archive file as downloaded before"
            onClicked: page.skin.send(objectName)
        }
        SkinButton {
            objectName: "ID_FS_historyExport"
            label: "Export…"
            implicitHeight: 28
            padding: 16
            tip: "Write the history as a yt-dlp --download-archive file"
            onClicked: page.skin.send(objectName)
        }
    }

    // The actions on the chosen video, under the well.
    Row {
        x: 36
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 80
        spacing: 4
        Repeater {
            model: [["ID_FS_historyOpen", "Open"], ["ID_FS_historyShow", "Show in folder"],
                    ["ID_FS_historyCopy", "Copy address"], ["ID_FS_historyAgain", "Download again"],
                    ["ID_FS_historyRemove", "Remove from history"]]
            SkinButton {
                required property var modelData
                objectName: modelData[0]
                label: modelData[1]
                implicitHeight: 28
                padding: 16
                enabled: page.chosen >= 0
                opacity: enabled ? 1 : 0.5
                onClicked: page.act(objectName)
            }
        }
    }

    // The well of the rows, which takes the room the window gains.
    Rectangle {
        id: well
        objectName: "historyWell"
        anchors.left: parent.left
        anchors.leftMargin: 34
        anchors.top: parent.top
        anchors.topMargin: 204
        anchors.right: parent.right
        anchors.rightMargin: 38
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 118
        radius: 3
        color: "#1f272a"
        border.color: "#56646a"

        // The date and the size take what they need; the title and the
        // folder share the rest.
        function widthOf(column) {
            const rest = width - 30 - 88 - 76
            return [88, rest * 0.6, 76, rest * 0.4][column]
        }
        Row {
            id: header
            x: 8
            y: 4
            Repeater {
                model: ["Date", "Title", "Size", "Folder"]
                Text {
                    required property int index
                    required property string modelData
                    width: well.widthOf(index)
                    text: modelData
                    color: "#b8c2c4"
                    font.pixelSize: 12
                    font.bold: true
                }
            }
        }
        Item {
            id: list
            objectName: "historyList"
            anchors.fill: parent
            anchors.topMargin: 26
            anchors.rightMargin: 14
            activeFocusOnTab: true
            clip: true
            Keys.onUpPressed: page.choose(page.chosen - 1)
            Keys.onDownPressed: page.choose(page.chosen + 1)
            Keys.onReturnPressed: page.act("ID_FS_historyOpen")
            Keys.onDeletePressed: page.act("ID_FS_historyRemove")
            FocusRing { around: 0; radius: 3 }
            Repeater {
                model: page.rows
                Rectangle {
                    required property int index
                    required property var modelData
                    readonly property int row: page.first + index
                    y: index * page.rowHeight
                    width: list.width
                    height: page.rowHeight
                    color: row === page.chosen ? "#276892" : index % 2 ? "#232c2f" : "transparent"
                    Row {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        Repeater {
                            model: 4
                            Text {
                                required property int index
                                width: well.widthOf(index)
                                text: modelData[index] || ""
                                color: "#e6ebea"
                                font.pixelSize: 12
                                elide: index === 3 ? Text.ElideMiddle : Text.ElideRight
                                rightPadding: 8
                            }
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: { page.chosen = row; list.forceActiveFocus() }
                        onDoubleClicked: { page.chosen = row; page.act("ID_FS_historyOpen") }
                    }
                }
            }
            WheelHandler {
                onWheel: event => page.scrollTo(page.first - Math.round(event.angleDelta.y / 40))
            }
        }
        Text {
            anchors.centerIn: parent
            visible: page.count === 0
            text: skin.valueOf("_root.historySearch") === "" ? "Videos you download are remembered here"
                                                          : "No video in the history matches"
            color: "#56646a"
            font.pixelSize: 13
        }
        // Where the rows shown lie among all found; dragged, it scrolls.
        Rectangle {
            objectName: "historyScrollBar"
            visible: page.count > page.rowsShown
            x: parent.width - 12
            y: 26 + (parent.height - 30) * page.first / Math.max(1, page.count)
            width: 8
            height: Math.max(16, (parent.height - 30) * page.rowsShown / Math.max(1, page.count))
            radius: 4
            color: drag.pressed ? "#9cb863" : "#56646a"
            MouseArea {
                id: drag
                anchors.fill: parent
                property real startY: 0
                property int startFirst: 0
                onPressed: mouse => { startY = mapToItem(well, 0, mouse.y).y; startFirst = page.first }
                onPositionChanged: mouse => {
                    const moved = mapToItem(well, 0, mouse.y).y - startY
                    page.scrollTo(startFirst + Math.round(moved * page.count / (well.height - 30)))
                }
            }
        }
    }
}
