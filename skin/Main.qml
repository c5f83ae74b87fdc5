// Tarnwick's skin: the whole surface of the 648 x 585 main window.
//
// The program talks to the skin through two channels only:
//  - commands: every control sends its command name through the one signal
//    `command(command, args)`, always with empty args; the program compares
//    the names exactly;
//  - variables: the program calls setVariable(path, value) and
//    getVariable(path) with full "_root." paths and text values. The skin keeps
//    them in its own store (QML property names cannot start with a capital
//    letter, as in "_root.Download_CB") and its controls follow the store.
//
// Variables the controls follow:
//  "_root.video_url"              the address field (typing updates it)
//  "_root.download_dir"           the read-only folder field
//  "_root.autoToDownloadList_CB"  the clipboard check box ("1" checked)
//  "_root.keepList_CB"            the keep-the-list check box ("1" checked)
//  "_root.otherSites_CB"          the other-sites check box ("1" checked)
//  "_root.startDownload", "_root.downloadBtn", "_root.downloadTab"
//                                 "0" while a run is under way, "1" when idle;
//                                 the last one written decides whether the
//                                 start button shows Start or Stop
//  "_root.downloadBtnTab"         "1": a run started while the About page was
//                                 open; the Download tab is marked until opened
//  "_root.aboutTxt"               the About page's text
//  "_root.statusTxt"              the status line at the bottom; until the
//                                 program writes it, the line follows the run
//  "_root.Download_CB", "_root.Convert_CB" are only stored.
//
// The area at 36, 259 (572 x 179) is an empty well: the program lays its
// download grid over it. The program shows the grid for "IDC_FS_Download" and
// hides it for "IDC_FS_About". "IDC_FS_Slider" (hide the grid without changing
// page) is part of the protocol but no control of this skin sends it.

import QtQuick
import QtQuick.Controls.Basic

Rectangle {
    id: skin

    width: 648
    height: 585
    color: "#2b3437"

    signal command(string command, string args)

    // ---- Variable store -------------------------------------------------

    property var store: ({})
    // Bumped on each write so that bindings reading the store re-evaluate.
    property int revision: 0
    property bool running: false
    property bool downloadTabMarked: false
    property string page: "Download"
    // Whether the window can be seen: the program clears it while the window
    // is hidden, minimised or in the tray, and the skin rests meanwhile.
    property bool awake: true
    // The one beat of everything that shows the skin is busy: four times a
    // second, only while there is something to show and the window is seen.
    // Each beat repaints the few small items that follow it, nothing else.
    property int beat: 0
    Timer {
        objectName: "busyBeat"
        interval: 250
        repeat: true
        running: skin.awake && (skin.running || skin.downloadTabMarked)
        onTriggered: skin.beat++
        onRunningChanged: if (!running) skin.beat = 0
    }
    // Half the beat: on for half a second, off for the next.
    readonly property bool pulse: beat % 4 >= 2

    function setVariable(path, value) {
        const text = value === undefined || value === null ? "" : String(value)
        store[String(path)] = text
        switch (String(path)) {
        case "_root.video_url":
            if (addressField.text !== text) addressField.text = text
            break
        case "_root.startDownload":
        case "_root.downloadBtn":
        case "_root.downloadTab":
            running = text === "0"
            break
        case "_root.downloadBtnTab":
            if (text === "1" && page !== "Download") downloadTabMarked = true
            break
        }
        revision++
    }

    function getVariable(path) {
        const text = store[String(path)]
        return text === undefined ? "" : text
    }

    // The stored text, for bindings.
    function valueOf(path) {
        revision
        return getVariable(path)
    }

    function send(name) {
        command(name, "")
    }

    function openPage(name) {
        page = name
        if (name === "Download") downloadTabMarked = false
        send(name === "Download" ? "IDC_FS_Download" : "IDC_FS_About")
    }

    function toggleMonitor() {
        const checked = valueOf("_root.autoToDownloadList_CB") === "1"
        setVariable("_root.autoToDownloadList_CB", checked ? "0" : "1")
        send(checked ? "ID_FS_autoDownloadUncheck" : "ID_FS_autoDownloadCheck")
    }

    function toggleOtherSites() {
        const checked = valueOf("_root.otherSites_CB") === "1"
        setVariable("_root.otherSites_CB", checked ? "0" : "1")
        send(checked ? "ID_FS_otherSitesUncheck" : "ID_FS_otherSitesCheck")
    }

    function toggleKeepList() {
        const checked = valueOf("_root.keepList_CB") === "1"
        setVariable("_root.keepList_CB", checked ? "0" : "1")
        send(checked ? "ID_FS_keepListUncheck" : "ID_FS_keepListCheck")
    }

    function addAddress() {
        send("IDC_FS_addDownloadURL")
        // Keep the address visible, selected so that the next paste replaces it.
        addressField.selectAll()
    }

    readonly property string aboutText: valueOf("_root.aboutTxt").replace(/\r\n|\r/g, "\n")
    readonly property string versionText: aboutText.split("\n")[0]

    // ---- Building blocks --------------------------------------------------

    // A check box with its label, checked while `variable` holds "1".
    component CheckLine: Item {
        id: line
        property string variable
        property string text
        signal toggled()
        readonly property bool checked: skin.valueOf(variable) === "1"
        width: row.implicitWidth
        height: 24
        Row {
            id: row
            spacing: 9
            anchors.verticalCenter: parent.verticalCenter
            Rectangle {
                width: 18
                height: 18
                radius: 4
                anchors.verticalCenter: parent.verticalCenter
                color: line.checked ? "#9cb863" : "#263033"
                border.color: line.checked ? "#b4cf7d"
                              : area.containsMouse ? "#9cb863" : "#6b7477"
                Canvas {
                    anchors.fill: parent
                    visible: line.checked
                    onPaint: {
                        const c = getContext("2d")
                        c.reset()
                        c.strokeStyle = "#1f2a12"
                        c.lineWidth = 2.2
                        c.lineCap = "round"
                        c.lineJoin = "round"
                        c.beginPath()
                        c.moveTo(4.5, 9.5); c.lineTo(7.8, 12.8); c.lineTo(13.5, 5.5)
                        c.stroke()
                    }
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: line.text
                color: "#dfe5e4"
                font.pixelSize: 13
            }
        }
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: line.toggled()
        }
    }

    // Small line drawings for buttons, drawn in `tint`.
    component Glyph: Canvas {
        property string shape
        property color tint: "#eef1ef"
        width: 16
        height: 16
        antialiasing: true
        onShapeChanged: requestPaint()
        onTintChanged: requestPaint()
        onPaint: {
            const c = getContext("2d")
            c.reset()
            c.strokeStyle = tint
            c.fillStyle = tint
            c.lineWidth = 1.8
            c.lineCap = "round"
            c.lineJoin = "round"
            const w = width, h = height
            c.beginPath()
            switch (shape) {
            case "minimize":
                c.moveTo(w * 0.22, h * 0.72); c.lineTo(w * 0.78, h * 0.72); c.stroke()
                break
            case "tray":
                c.moveTo(w * 0.5, h * 0.12); c.lineTo(w * 0.5, h * 0.56)
                c.moveTo(w * 0.3, h * 0.38); c.lineTo(w * 0.5, h * 0.58); c.lineTo(w * 0.7, h * 0.38)
                c.moveTo(w * 0.14, h * 0.6); c.lineTo(w * 0.14, h * 0.86)
                c.lineTo(w * 0.86, h * 0.86); c.lineTo(w * 0.86, h * 0.6)
                c.stroke()
                break
            case "close":
                c.moveTo(w * 0.24, h * 0.24); c.lineTo(w * 0.76, h * 0.76)
                c.moveTo(w * 0.76, h * 0.24); c.lineTo(w * 0.24, h * 0.76); c.stroke()
                break
            case "plus":
                c.moveTo(w * 0.5, h * 0.18); c.lineTo(w * 0.5, h * 0.82)
                c.moveTo(w * 0.18, h * 0.5); c.lineTo(w * 0.82, h * 0.5); c.stroke()
                break
            case "selectAll":
                c.rect(w * 0.12, h * 0.12, w * 0.76, h * 0.76); c.stroke()
                c.beginPath()
                c.moveTo(w * 0.3, h * 0.5); c.lineTo(w * 0.45, h * 0.65); c.lineTo(w * 0.72, h * 0.34)
                c.stroke()
                break
            case "remove":
                c.moveTo(w * 0.14, h * 0.26); c.lineTo(w * 0.86, h * 0.26)
                c.moveTo(w * 0.38, h * 0.26); c.lineTo(w * 0.42, h * 0.12)
                c.lineTo(w * 0.58, h * 0.12); c.lineTo(w * 0.62, h * 0.26)
                c.moveTo(w * 0.24, h * 0.34); c.lineTo(w * 0.3, h * 0.88)
                c.lineTo(w * 0.7, h * 0.88); c.lineTo(w * 0.76, h * 0.34)
                c.moveTo(w * 0.43, h * 0.44); c.lineTo(w * 0.43, h * 0.76)
                c.moveTo(w * 0.57, h * 0.44); c.lineTo(w * 0.57, h * 0.76)
                c.stroke()
                break
            case "up":
                c.moveTo(w * 0.5, h * 0.84); c.lineTo(w * 0.5, h * 0.18)
                c.moveTo(w * 0.24, h * 0.42); c.lineTo(w * 0.5, h * 0.16); c.lineTo(w * 0.76, h * 0.42)
                c.stroke()
                break
            case "down":
                c.moveTo(w * 0.5, h * 0.16); c.lineTo(w * 0.5, h * 0.82)
                c.moveTo(w * 0.24, h * 0.58); c.lineTo(w * 0.5, h * 0.84); c.lineTo(w * 0.76, h * 0.58)
                c.stroke()
                break
            case "clear":
                c.moveTo(w * 0.08, h * 0.5); c.lineTo(w * 0.26, h * 0.68); c.lineTo(w * 0.58, h * 0.3)
                c.stroke()
                c.beginPath()
                c.lineWidth = 1.5
                c.moveTo(w * 0.66, h * 0.6); c.lineTo(w * 0.92, h * 0.86)
                c.moveTo(w * 0.92, h * 0.6); c.lineTo(w * 0.66, h * 0.86)
                c.stroke()
                break
            case "retry":
                c.arc(w * 0.5, h * 0.52, w * 0.32, -Math.PI * 0.35, Math.PI * 1.45)
                c.stroke()
                c.beginPath()
                c.moveTo(w * 0.6, h * 0.08); c.lineTo(w * 0.78, h * 0.24); c.lineTo(w * 0.56, h * 0.34)
                c.stroke()
                break
            case "folder":
                c.moveTo(w * 0.08, h * 0.26); c.lineTo(w * 0.38, h * 0.26); c.lineTo(w * 0.48, h * 0.36)
                c.lineTo(w * 0.92, h * 0.36); c.lineTo(w * 0.92, h * 0.82); c.lineTo(w * 0.08, h * 0.82)
                c.closePath(); c.stroke()
                break
            case "play":
                c.moveTo(w * 0.26, h * 0.14); c.lineTo(w * 0.84, h * 0.5); c.lineTo(w * 0.26, h * 0.86)
                c.closePath(); c.fill()
                break
            case "stop":
                c.rect(w * 0.2, h * 0.2, w * 0.6, h * 0.6); c.fill()
                break
            case "help":
                c.arc(w * 0.5, h * 0.5, w * 0.4, 0, Math.PI * 2); c.stroke()
                c.beginPath()
                c.moveTo(w * 0.36, h * 0.38)
                c.bezierCurveTo(w * 0.36, h * 0.2, w * 0.66, h * 0.2, w * 0.64, h * 0.38)
                c.bezierCurveTo(w * 0.63, h * 0.5, w * 0.5, h * 0.5, w * 0.5, h * 0.6)
                c.stroke()
                c.beginPath(); c.arc(w * 0.5, h * 0.74, w * 0.06, 0, Math.PI * 2); c.fill()
                break
            case "globe":
                c.arc(w * 0.5, h * 0.5, w * 0.4, 0, Math.PI * 2)
                c.moveTo(w * 0.1, h * 0.5); c.lineTo(w * 0.9, h * 0.5)
                c.stroke()
                c.beginPath()
                c.ellipse(w * 0.32, h * 0.1, w * 0.36, h * 0.8); c.stroke()
                break
            }
        }
    }

    // The program's icon (tarnwick.svg), drawn on a 256-unit grid.
    component Logo: Canvas {
        antialiasing: true
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()
        onPaint: {
            const c = getContext("2d")
            c.reset()
            c.scale(width / 256, height / 256)
            c.lineJoin = "round"
            c.strokeStyle = "#1c2325"

            const body = c.createLinearGradient(0, 8, 0, 248)
            body.addColorStop(0, "#4a585c")
            body.addColorStop(1, "#2a3336")
            c.fillStyle = body
            c.lineWidth = 4
            c.beginPath(); c.roundedRect(8, 8, 240, 240, 52, 52); c.fill(); c.stroke()

            const screen = c.createLinearGradient(0, 44, 0, 160)
            screen.addColorStop(0, "#3682b3")
            screen.addColorStop(1, "#276892")
            c.fillStyle = screen
            c.beginPath(); c.roundedRect(44, 44, 168, 116, 14, 14); c.fill(); c.stroke()

            c.fillStyle = Qt.rgba(233 / 255, 225 / 255, 225 / 255, 0.55)
            const holes = [[60, 54], [88, 54], [116, 54], [144, 54], [172, 54], [60, 140],
                           [172, 140]]
            for (const [x, y] of holes) {
                c.beginPath(); c.roundedRect(x, y, 14, 10, 2, 2); c.fill()
            }

            const arrow = c.createLinearGradient(0, 76, 0, 204)
            arrow.addColorStop(0, "#b4cf7d")
            arrow.addColorStop(1, "#9cb863")
            c.fillStyle = arrow
            c.lineWidth = 6
            c.beginPath()
            c.moveTo(108, 76); c.lineTo(148, 76); c.lineTo(148, 150); c.lineTo(180, 150)
            c.lineTo(128, 204); c.lineTo(76, 150); c.lineTo(108, 150); c.closePath()
            c.fill(); c.stroke()

            c.fillStyle = "#ffc700"
            c.lineWidth = 4
            c.beginPath(); c.roundedRect(56, 212, 144, 14, 7, 7); c.fill(); c.stroke()
        }
    }

    // A button with an optional glyph and label. `accent` fills it green.
    component SkinButton: Rectangle {
        id: button
        property string label
        property string glyph
        property string tip
        property bool accent: false
        property bool quiet: false
        readonly property bool hovered: area.containsMouse
        signal clicked()

        implicitHeight: 34
        implicitWidth: content.implicitWidth + 28
        radius: 6
        color: {
            if (accent) return area.pressed ? "#86a04f" : hovered ? "#adc877" : "#9cb863"
            if (quiet) return area.pressed ? "#3a4649" : hovered ? "#465357" : "transparent"
            return area.pressed ? "#3d484b" : hovered ? "#56646a" : "#4a575b"
        }
        border.width: quiet ? 0 : 1
        border.color: accent ? "#b4cf7d" : "#5f6d71"
        Behavior on color { ColorAnimation { duration: 90 } }

        Row {
            id: content
            anchors.centerIn: parent
            spacing: 7
            Glyph {
                visible: button.glyph !== ""
                shape: button.glyph
                tint: button.accent ? "#1f2a12" : "#eef1ef"
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                visible: button.label !== ""
                text: button.label
                color: button.accent ? "#1f2a12" : "#eef1ef"
                font.pixelSize: 13
                font.bold: button.accent
                anchors.verticalCenter: parent.verticalCenter
            }
        }

        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: button.clicked()
        }

        // Shown above the button: the grid covers the area just below the toolbar.
        ToolTip {
            visible: button.tip !== "" && button.hovered
            delay: 500
            text: button.tip
            y: -implicitHeight - 6
            contentItem: Text {
                text: button.tip
                color: "#eef1ef"
                font.pixelSize: 12
            }
            background: Rectangle {
                color: "#1c2325"
                border.color: "#6b7477"
                radius: 4
            }
        }
    }

    // A title-bar button.
    component WindowButton: Rectangle {
        id: windowButton
        property string glyph
        property bool danger: false
        signal clicked()
        width: 34
        height: 26
        radius: 5
        color: area.pressed ? (danger ? "#8e3b33" : "#1c2325")
                            : area.containsMouse ? (danger ? "#b5483f" : "#465357") : "transparent"
        Glyph {
            anchors.centerIn: parent
            width: 14
            height: 14
            shape: windowButton.glyph
            tint: area.containsMouse ? "#ffffff" : "#c9d0d1"
        }
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            onClicked: windowButton.clicked()
        }
    }

    // A page tab with a green underline while its page is open.
    component PageTab: Item {
        id: tab
        property string label
        property bool current: false
        property bool marked: false
        signal clicked()
        width: caption.implicitWidth + (marked ? 42 : 28)
        height: 38
        Text {
            id: caption
            x: 14
            anchors.verticalCenter: parent.verticalCenter
            text: tab.label
            font.pixelSize: 14
            font.bold: tab.current
            color: tab.current ? "#ffffff" : tabArea.containsMouse ? "#dfe5e4" : "#a9b2b4"
        }
        Rectangle {
            visible: tab.marked
            anchors.left: caption.right
            anchors.leftMargin: 7
            anchors.verticalCenter: caption.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: "#ffc700"
            opacity: tab.marked && skin.pulse ? 0.3 : 1
        }
        Rectangle {
            anchors.bottom: parent.bottom
            x: 8
            width: parent.width - 16
            height: 3
            radius: 1.5
            color: tab.current ? "#9cb863" : tab.marked ? "#ffc700" : "transparent"
        }
        MouseArea {
            id: tabArea
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: tab.clicked()
        }
    }

    component Caption: Text {
        color: "#a9b2b4"
        font.pixelSize: 11
        font.bold: true
        font.letterSpacing: 1.2
        font.capitalization: Font.AllUppercase
    }

    // ---- Background ---------------------------------------------------------

    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#3f4c50" }
            GradientStop { position: 0.55; color: "#394549" }
            GradientStop { position: 1.0; color: "#2a3336" }
        }
    }
    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.color: "#1c2325"
    }

    // ---- Title bar ----------------------------------------------------------

    Rectangle {
        id: titleBar
        x: 1
        y: 1
        width: parent.width - 2
        height: 43
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#2f3a3d" }
            GradientStop { position: 1.0; color: "#262f32" }
        }

        MouseArea {
            objectName: "IDC_FS_Drag"
            anchors.fill: parent
            onPressed: skin.send("IDC_FS_Drag")
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
                onClicked: skin.send(objectName)
            }
            WindowButton {
                objectName: "IDC_FS_Tray"
                glyph: "tray"
                onClicked: skin.send(objectName)
            }
            WindowButton {
                objectName: "IDC_FS_Close"
                glyph: "close"
                danger: true
                onClicked: skin.send(objectName)
            }
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: "#1c2325"
        }
    }

    // ---- Tabs ---------------------------------------------------------------

    Row {
        x: 24
        y: 52
        spacing: 4
        PageTab {
            objectName: "IDC_FS_Download"
            label: "Download"
            current: skin.page === "Download"
            marked: skin.downloadTabMarked
            onClicked: skin.openPage("Download")
        }
        PageTab {
            objectName: "IDC_FS_About"
            label: "About"
            current: skin.page === "About"
            onClicked: skin.openPage("About")
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
            onClicked: skin.send(objectName)
        }
        SkinButton {
            objectName: "ID_FS_webSite"
            quiet: true
            glyph: "globe"
            label: "Web site"
            implicitHeight: 30
            tip: "Visit Tarnwick's home page"
            onClicked: skin.send(objectName)
        }
    }
    Rectangle {
        x: 24
        y: 90
        width: parent.width - 48
        height: 1
        color: "#4f5c60"
    }

    // ---- Download page ------------------------------------------------------

    Item {
        id: downloadPage
        anchors.fill: parent
        // Hidden pages fade out but take no clicks meanwhile.
        enabled: skin.page === "Download"
        visible: opacity > 0
        opacity: enabled ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 140 } }

        Caption {
            x: 36
            y: 104
            text: "Video page address"
        }
        Rectangle {
            x: 36
            y: 122
            width: 444
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
                onTextChanged: skin.store["_root.video_url"] = text
                onAccepted: skin.addAddress()
            }
        }
        SkinButton {
            objectName: "IDC_FS_addDownloadURL"
            x: 488
            y: 122
            width: 120
            implicitHeight: 38
            accent: true
            glyph: "plus"
            label: "Add to list"
            tip: "Add the address to the download list"
            onClicked: skin.addAddress()
        }

        CheckLine {
            objectName: "monitorCheck"
            x: 36
            y: 172
            variable: "_root.autoToDownloadList_CB"
            text: "Watch the clipboard and add copied video addresses"
            onToggled: skin.toggleMonitor()
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
                tip: "Select all"
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "IDC_FS_moveUp"
                width: 32; implicitHeight: 28
                glyph: "up"
                tip: "Move the first selected item up"
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "IDC_FS_moveDown"
                width: 32; implicitHeight: 28
                glyph: "down"
                tip: "Move the first selected item down"
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "IDC_FS_retryFailedD"
                width: 32; implicitHeight: 28
                glyph: "retry"
                tip: "Retry failed items"
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "IDC_FS_removeSelectedD"
                width: 32; implicitHeight: 28
                glyph: "remove"
                tip: "Remove the selected items"
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "ID_FS_clearComplete"
                width: 32; implicitHeight: 28
                glyph: "clear"
                tip: "Clear completed downloads"
                onClicked: skin.send(objectName)
            }
        }

        // The well under the download grid (36, 259, 572 x 179).
        Rectangle {
            objectName: "gridWell"
            x: 34
            y: 257
            width: 576
            height: 183
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
            y: 441
            width: 572
            height: 3
            clip: true
            visible: skin.running
            Rectangle {
                id: runStripe
                readonly property int steps: 8
                x: -width + (skin.beat % steps) * (parent.width + width) / steps
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

        // Download folder.
        Caption {
            x: 36
            y: 456
            text: "Save videos to"
        }
        Rectangle {
            x: 36
            y: 474
            width: 298
            height: 34
            radius: 6
            color: "#263033"
            border.color: "#56646a"
            Glyph {
                x: 10
                anchors.verticalCenter: parent.verticalCenter
                shape: "folder"
                tint: "#9cb863"
            }
            Text {
                objectName: "folderText"
                x: 34
                width: parent.width - 44
                anchors.verticalCenter: parent.verticalCenter
                text: skin.valueOf("_root.download_dir")
                color: "#dfe5e4"
                font.pixelSize: 13
                elide: Text.ElideMiddle
            }
        }
        CheckLine {
            objectName: "keepListCheck"
            x: 36
            y: 516
            variable: "_root.keepList_CB"
            text: "Keep the list when Tarnwick closes"
            onToggled: skin.toggleKeepList()
        }
        CheckLine {
            objectName: "otherSitesCheck"
            x: 322
            y: 516
            variable: "_root.otherSites_CB"
            text: "Also try pages of other sites"
            onToggled: skin.toggleOtherSites()
        }
        SkinButton {
            objectName: "ID_FS_downloadBrowse"
            x: 340
            y: 474
            width: 92
            label: "Browse…"
            tip: "Choose the download folder"
            onClicked: skin.send(objectName)
        }

        // Start / stop.
        Rectangle {
            id: startStop
            objectName: "startStopButton"
            x: 446
            y: 456
            width: 162
            height: 52
            radius: 8
            readonly property color base: skin.running ? "#ffc700" : "#9cb863"
            color: startArea.pressed ? Qt.darker(base, 1.15)
                                     : startArea.containsMouse ? Qt.lighter(base, 1.08) : base
            border.color: skin.running ? "#ffe07a" : "#b4cf7d"
            Behavior on color { ColorAnimation { duration: 120 } }
            Row {
                anchors.centerIn: parent
                spacing: 10
                Rectangle {
                    width: 28
                    height: 28
                    radius: 14
                    color: "#26000000"
                    anchors.verticalCenter: parent.verticalCenter
                    Glyph {
                        anchors.centerIn: parent
                        width: 12
                        height: 12
                        shape: skin.running ? "stop" : "play"
                        tint: "#1f2a12"
                    }
                }
                Column {
                    anchors.verticalCenter: parent.verticalCenter
                    Text {
                        text: skin.running ? "Stop" : "Start"
                        color: "#1b230f"
                        font.pixelSize: 16
                        font.bold: true
                    }
                    Text {
                        text: "Downloading"
                        color: "#33401f"
                        font.pixelSize: 11
                    }
                }
            }
            MouseArea {
                id: startArea
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: skin.send(skin.running ? "IDC_FS_stopDownload" : "IDC_FS_startDownload")
            }
        }
    }

    // ---- About page ---------------------------------------------------------

    Item {
        id: aboutPage
        anchors.fill: parent
        // Hidden pages fade out but take no clicks meanwhile.
        enabled: skin.page === "About"
        visible: opacity > 0
        opacity: enabled ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 140 } }

        Rectangle {
            x: 36
            y: 108
            width: 572
            height: 428
            radius: 10
            color: "#2f3a3d"
            border.color: "#4f5c60"

            Logo {
                x: 28
                y: 28
                width: 96
                height: 96
            }
            Text {
                x: 148
                y: 32
                text: "Tarnwick"
                color: "#ffffff"
                font.pixelSize: 28
                font.bold: true
            }
            Text {
                objectName: "aboutText"
                x: 148
                y: 76
                width: parent.width - 176
                text: skin.aboutText
                color: "#dfe5e4"
                font.pixelSize: 13
                lineHeight: 1.25
                wrapMode: Text.Wrap
            }

            Rectangle {
                x: 28
                y: 176
                width: parent.width - 56
                height: 1
                color: "#4f5c60"
            }
            Caption {
                x: 28
                y: 196
                text: "Supported sites"
            }
            Flow {
                x: 28
                y: 220
                width: parent.width - 56
                spacing: 8
                Repeater {
                    model: ["Google Video", "YouTube", "Bolt", "MySpace", "AngryAlien",
                        "ThatVideoSite", "iFilm", "Break", "Blip", "DailyMotion", "PutFile",
                        "ZippyVideos"]
                    Rectangle {
                        required property string modelData
                        width: siteName.implicitWidth + 22
                        height: 28
                        radius: 14
                        color: "#394549"
                        border.color: "#6b7477"
                        Text {
                            id: siteName
                            anchors.centerIn: parent
                            text: parent.modelData
                            color: "#eef1ef"
                            font.pixelSize: 12
                        }
                    }
                }
            }
            Text {
                x: 28
                y: 340
                width: parent.width - 56
                text: "Paste or type a video page address on the Download page, or switch on the "
                      + "clipboard watch and just copy addresses. Tarnwick finds each video file "
                      + "and saves it in your download folder, one after another."
                color: "#a9b2b4"
                font.pixelSize: 12
                lineHeight: 1.2
                wrapMode: Text.Wrap
            }
            Rectangle {
                x: 28
                y: 402
                width: 64
                height: 4
                radius: 2
                color: "#ffc700"
            }
            Rectangle {
                x: 96
                y: 402
                width: 28
                height: 4
                radius: 2
                color: "#9cb863"
            }
            Rectangle {
                x: 128
                y: 402
                width: 14
                height: 4
                radius: 2
                color: "#276892"
            }
        }
    }

    // ---- Status line --------------------------------------------------------

    Rectangle {
        x: 1
        y: 550
        width: parent.width - 2
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
            color: skin.running ? "#ffc700" : "#9cb863"
            opacity: skin.running && skin.pulse ? 0.35 : 1
        }
        Text {
            objectName: "statusText"
            x: 52
            anchors.verticalCenter: parent.verticalCenter
            width: versionLabel.x - x - 16
            elide: Text.ElideRight
            textFormat: Text.PlainText
            text: skin.valueOf("_root.statusTxt") !== "" ? skin.valueOf("_root.statusTxt")
                  : (skin.running ? "Downloading…" : "Ready")
            color: "#dfe5e4"
            font.pixelSize: 12
        }
        Text {
            id: versionLabel
            anchors.right: parent.right
            anchors.rightMargin: 36
            anchors.verticalCenter: parent.verticalCenter
            text: skin.versionText
            color: "#7f8a8d"
            font.pixelSize: 12
        }
    }
}
