// The small panel the Settings button opens, in three sections behind its
// tabs: the number boxes of the transfers, the quality kept, and the logins (the browser whose
// cookies yt-dlp reads, the cookie file, and setting up the browsers for the
// extension). A control the user changes writes its variable, then sends its
// command; each follows what the program writes back. Escape, or the button
// again, closes it. It stays between the tabs and the grid's well, which the
// grid would cover, so the sections share its room.

import QtQuick

Rectangle {
    id: panel
    objectName: "settingsPanel"
    // The skin, whose variables the controls follow and whose commands they send.
    required property Item skin
    // The button that opens the panel, which takes the focus back when the
    // panel closes with it.
    required property Item opener
    // The section shown, "Transfers", "Quality" or "Logins"; kept from one
    // opening to the next.
    property string section: "Transfers"

    // The browsers whose cookies yt-dlp can read, as stored and as shown.
    readonly property var cookieBrowsers: ["", "firefox", "chromium", "chrome", "brave",
                                           "vivaldi", "edge", "opera"]
    readonly property var cookieBrowserNames: ["None", "Firefox", "Chromium", "Chrome", "Brave",
                                               "Vivaldi", "Edge", "Opera"]
    readonly property string cookieFile: skin.valueOf("_root.cookieFile_NS")
    // The quality caps and the containers, as stored and as shown.
    readonly property var qualities: ["best", "2160", "1440", "1080", "720", "480", "360"]
    readonly property var qualityNames: ["Best", "2160p", "1440p", "1080p", "720p", "480p", "360p"]
    readonly property var formats: ["mp4", "mkv", "best"]
    readonly property var formatNames: ["MP4 preferred", "MKV", "Any, the best"]
    // The sound alone, and where subtitles go, as stored and as shown.
    readonly property var sounds: ["off", "m4a", "mp3", "opus"]
    readonly property var soundNames: ["Off", "M4A", "MP3", "Opus"]
    readonly property var placeNames: ["Beside the video", "Inside the video"]

    width: Math.max(transfersGrid.implicitWidth, qualityGrid.implicitWidth,
                    loginsGrid.implicitWidth) + 36
    height: sections.y + Math.max(transfersGrid.implicitHeight, qualityGrid.implicitHeight,
                                  loginsGrid.implicitHeight) + 16
    visible: false
    radius: 8
    color: "#2f3a3d"
    border.color: "#6b7477"
    Keys.onEscapePressed: close()

    function open() {
        visible = true
        firstControl().forceActiveFocus(Qt.TabFocusReason)
    }
    function close() {
        const hadFocus = holdsFocus()
        visible = false
        if (hadFocus) opener.forceActiveFocus(Qt.TabFocusReason)
    }
    // The arrow keys go from tab to tab, showing each one's section.
    function showTab(tab, name) {
        section = name
        tab.forceActiveFocus(Qt.TabFocusReason)
    }
    function firstControl() {
        if (section === "Quality") return qualityBox
        return section === "Logins" ? cookiesFromBox : connectionsBox
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
    Row {
        x: 12
        y: 8
        spacing: 6
        PanelTab {
            id: transfersTab
            objectName: "transfersTab"
            label: "Transfers"
            current: panel.section === "Transfers"
            onClicked: panel.section = "Transfers"
            Keys.onRightPressed: panel.showTab(qualityTab, "Quality")
        }
        PanelTab {
            id: qualityTab
            objectName: "qualityTab"
            label: "Quality"
            current: panel.section === "Quality"
            onClicked: panel.section = "Quality"
            Keys.onLeftPressed: panel.showTab(transfersTab, "Transfers")
            Keys.onRightPressed: panel.showTab(loginsTab, "Logins")
        }
        PanelTab {
            id: loginsTab
            objectName: "loginsTab"
            label: "Logins"
            current: panel.section === "Logins"
            onClicked: panel.section = "Logins"
            Keys.onLeftPressed: panel.showTab(qualityTab, "Quality")
        }
    }
    Item {
        id: sections
        x: 18
        y: 40

        Grid {
            id: transfersGrid
            visible: panel.section === "Transfers"
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
                to: 16
                value: panel.numberOf("_root.connections_NS")
                onValueModified: panel.change("_root.connections_NS", value,
                                              "ID_FS_connectionsChange")
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
                onValueModified: panel.change("_root.speedLimit_NS", value,
                                              "ID_FS_speedLimitChange")
            }
            Text {
                text: "KB/s"
                color: "#a9b2b4"
                font.pixelSize: 12
            }
        }

        // The picture's choices in the first two columns, the subtitles'
        // in the last two; filled column by column, which the tab key follows.
        Grid {
            id: qualityGrid
            visible: panel.section === "Quality"
            rows: 3
            flow: Grid.TopToBottom
            rowSpacing: 8
            columnSpacing: 12
            verticalItemAlignment: Grid.AlignVCenter

            Text {
                text: "Quality"
                color: "#dfe5e4"
                font.pixelSize: 13
            }
            Text {
                text: "Format"
                color: "#dfe5e4"
                font.pixelSize: 13
            }
            Text {
                text: "Sound only"
                color: "#dfe5e4"
                font.pixelSize: 13
            }

            ChoiceBox {
                id: qualityBox
                objectName: "qualityBox"
                model: panel.qualityNames
                currentIndex: Math.max(0, panel.qualities.indexOf(
                                              panel.skin.valueOf("_root.quality_NS")))
                onActivated: index => panel.change("_root.quality_NS", panel.qualities[index],
                                                   "ID_FS_qualityChange")
            }

            ChoiceBox {
                objectName: "formatBox"
                model: panel.formatNames
                currentIndex: Math.max(0, panel.formats.indexOf(
                                              panel.skin.valueOf("_root.format_NS")))
                onActivated: index => panel.change("_root.format_NS", panel.formats[index],
                                                   "ID_FS_formatChange")
            }

            ChoiceBox {
                objectName: "soundOnlyBox"
                model: panel.soundNames
                currentIndex: Math.max(0, panel.sounds.indexOf(
                                              panel.skin.valueOf("_root.soundOnly_NS")))
                onActivated: index => panel.change("_root.soundOnly_NS", panel.sounds[index],
                                                   "ID_FS_soundOnlyChange")
            }

            Text {
                text: "Subtitles"
                color: "#dfe5e4"
                font.pixelSize: 13
            }
            Item {
                width: 1
                height: 1
            }
            Text {
                text: "Put subtitles"
                color: "#dfe5e4"
                font.pixelSize: 13
            }

            // Languages in order ("en, de"); empty for none. Taken when the
            // field is left or Enter is pressed; shown back as kept.
            Rectangle {
                width: 180
                height: 28
                radius: 6
                color: "#263033"
                border.color: subtitlesInput.activeFocus ? "#9cb863" : "#56646a"
                TextInput {
                    id: subtitlesInput
                    objectName: "subtitlesInput"
                    x: 10
                    width: parent.width - 20
                    anchors.verticalCenter: parent.verticalCenter
                    text: panel.skin.valueOf("_root.subtitles_NS")
                    color: "#ffffff"
                    selectionColor: "#276892"
                    selectedTextColor: "#ffffff"
                    selectByMouse: true
                    clip: true
                    font.pixelSize: 13
                    activeFocusOnTab: true
                    onEditingFinished: {
                        panel.change("_root.subtitles_NS", text, "ID_FS_subtitlesChange")
                        text = Qt.binding(() => panel.skin.valueOf("_root.subtitles_NS"))
                    }
                }
                Text {
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    visible: subtitlesInput.text === "" && !subtitlesInput.activeFocus
                    text: "Off (languages: en, de)"
                    color: "#a9b2b4"
                    font.pixelSize: 13
                }
            }

            CheckLine {
                objectName: "autoSubtitlesCheck"
                text: "Include automatic subtitles"
                checked: panel.skin.valueOf("_root.autoSubtitles_CB") === "1"
                onToggled: panel.skin.send(checked ? "ID_FS_autoSubtitlesUncheck"
                                                   : "ID_FS_autoSubtitlesCheck")
            }

            ChoiceBox {
                objectName: "subtitlesPlaceBox"
                implicitWidth: 180
                model: panel.placeNames
                currentIndex: panel.skin.valueOf("_root.subtitlesInside_CB") === "1" ? 1 : 0
                onActivated: index => panel.skin.send(index === 1 ? "ID_FS_subtitlesInsideCheck"
                                                                  : "ID_FS_subtitlesInsideUncheck")
            }
        }

        Grid {
            id: loginsGrid
            visible: panel.section === "Logins"
            columns: 2
            rowSpacing: 8
            columnSpacing: 12
            verticalItemAlignment: Grid.AlignVCenter

            Text {
                text: "Cookies from"
                color: "#dfe5e4"
                font.pixelSize: 13
            }
            ChoiceBox {
                id: cookiesFromBox
                objectName: "cookiesFromBox"
                model: panel.cookieBrowserNames
                currentIndex: Math.max(0, panel.cookieBrowsers.indexOf(
                                              panel.skin.valueOf("_root.cookiesFrom_NS")))
                onActivated: index => panel.change("_root.cookiesFrom_NS",
                                                   panel.cookieBrowsers[index],
                                                   "ID_FS_cookiesFromChange")
            }

            Text {
                text: "Cookie file"
                color: "#dfe5e4"
                font.pixelSize: 13
            }
            Row {
                spacing: 8
                Rectangle {
                    width: 220
                    height: 28
                    radius: 6
                    color: "#263033"
                    border.color: "#56646a"
                    Text {
                        objectName: "cookieFileText"
                        x: 10
                        width: parent.width - 20
                        anchors.verticalCenter: parent.verticalCenter
                        text: panel.cookieFile !== "" ? panel.cookieFile : "None"
                        color: panel.cookieFile !== "" ? "#dfe5e4" : "#a9b2b4"
                        font.pixelSize: 13
                        elide: Text.ElideMiddle
                    }
                }
                SkinButton {
                    objectName: "ID_FS_chooseCookieFile"
                    implicitHeight: 28
                    label: "Choose…"
                    tip: "A cookies.txt for the downloads and yt-dlp"
                    onClicked: panel.skin.send(objectName)
                }
                SkinButton {
                    objectName: "ID_FS_clearCookieFile"
                    implicitHeight: 28
                    label: "Clear"
                    onClicked: panel.skin.send(objectName)
                }
            }

            Text {
                text: "Browsers"
                color: "#dfe5e4"
                font.pixelSize: 13
            }
            SkinButton {
                objectName: "ID_FS_setupBrowsers"
                implicitHeight: 28
                label: "Set up browsers"
                tip: "Lets your browsers hand videos to Tarnwick"
                onClicked: panel.skin.send(objectName)
            }
        }
    }
}
