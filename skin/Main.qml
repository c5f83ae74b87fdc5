// Tarnwick's skin: the whole surface of the main window, 648 x 585 at the
// least and as large as the user makes it: its edges and the controls along
// them keep their place, the address field, the folder field and the well
// under the download grid grow with the window.
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
//  "_root.ytDlp_CB"               the use-yt-dlp check box ("1" checked)
//  "_root.connections_NS"         the settings panel's number boxes: the
//  "_root.downloadsAtOnce_NS"     connections per download (1 to 8), the
//  "_root.speedLimit_NS"          downloads at once (1 to 4) and the speed
//                                 limit in KB/s ("0": no limit)
//  "_root.startDownload", "_root.downloadBtn", "_root.downloadTab"
//                                 "0" while a run is under way, "1" when idle;
//                                 the last one written decides whether the
//                                 start button shows Start or Stop
//  "_root.downloadBtnTab"         "1": a run started while the About page was
//                                 open; the Download tab is marked until opened
//  "_root.aboutTxt"               the About page's text
//  "_root.ytDlpTxt"               the About page's line under it: which
//                                 yt-dlp there is
//  "_root.statusTxt"              the status line at the bottom; until the
//                                 program writes it, the line follows the run
//  "_root.Download_CB", "_root.Convert_CB" are only stored.
//
// A check box the user toggles writes its variable, then sends its command:
// "ID_FS_autoDownloadCheck" / "ID_FS_autoDownloadUncheck", "ID_FS_keepListCheck"
// / "ID_FS_keepListUncheck", "ID_FS_otherSitesCheck" / "ID_FS_otherSitesUncheck",
// "ID_FS_ytDlpCheck" / "ID_FS_ytDlpUncheck". A number box the user changes
// writes its variable, then sends "ID_FS_connectionsChange",
// "ID_FS_downloadsAtOnceChange" or "ID_FS_speedLimitChange"; the program
// writes back the number it keeps.
//
// The Settings button beside Help opens a small panel with the number boxes,
// between the tabs and the grid's well so that the grid never covers it.
// Escape, the button again, or a press elsewhere in the skin closes it.
//
// The program also sets two properties of the skin: `awake` (below) and
// `maximized`, whether the window is maximised. It reads `gridArea`, the
// inside of an empty well (36, 259, 572 x 179 at the least size), and lays its
// download grid over it, again each time the well moves. The program shows the
// grid for "IDC_FS_Download" and hides it for "IDC_FS_About". "IDC_FS_Slider"
// (hide the grid without changing page) is part of the protocol but no control
// of this skin sends it.
//
// The window's own commands: "IDC_FS_Drag" once the title bar is dragged,
// "IDC_FS_Maximize" (maximise or restore) from its button or a double click on
// the title bar, and "IDC_FS_Resize" from the window's borders, whose args name
// the edges to resize from: "left", "top", "right", "bottom", or two of them
// for a corner, separated by a blank.
//
// Tab moves through the controls in reading order; the item "gridFocusSlot"
// stands for the grid in that order, and the program takes the focus to the
// grid and back when Tab reaches it. Each control shows a frame while it has
// the keyboard's focus; Space or Enter presses it.

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
    // Set by the program: the window is maximised, so it has no borders to
    // resize it from.
    property bool maximized: false
    // Where the program lays the download grid: the inside of the well.
    readonly property rect gridArea: Qt.rect(gridWell.x + 2, gridWell.y + 2, gridWell.width - 4,
                                             gridWell.height - 4)
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

    function toggleYtDlp() {
        const checked = valueOf("_root.ytDlp_CB") === "1"
        setVariable("_root.ytDlp_CB", checked ? "0" : "1")
        send(checked ? "ID_FS_ytDlpUncheck" : "ID_FS_ytDlpCheck")
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

    // The frame around the control that has the keyboard's focus.
    component FocusRing: Rectangle {
        property real around: 3
        anchors.fill: parent
        anchors.margins: -around
        radius: (parent.radius === undefined ? 0 : parent.radius) + around
        color: "transparent"
        border.width: 2
        border.color: "#ffc700"
        visible: parent.activeFocus
    }

    // A tooltip in the skin's colours.
    component SkinToolTip: ToolTip {
        id: tip
        delay: 500
        contentItem: Text {
            text: tip.text
            color: "#eef1ef"
            font.pixelSize: 12
        }
        background: Rectangle {
            color: "#1c2325"
            border.color: "#6b7477"
            radius: 4
        }
    }

    // A check box with its label, checked while `variable` holds "1".
    component CheckLine: Item {
        id: line
        property string variable
        property string text
        signal toggled()
        readonly property bool checked: skin.valueOf(variable) === "1"
        width: row.implicitWidth
        height: 24
        activeFocusOnTab: true
        Keys.onSpacePressed: line.toggled()
        FocusRing {
            around: 2
            radius: 4
        }
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
            case "maximize":
                c.rect(w * 0.2, h * 0.2, w * 0.6, h * 0.6); c.stroke()
                break
            case "restore":
                c.rect(w * 0.16, h * 0.34, w * 0.5, h * 0.5); c.stroke()
                c.beginPath()
                c.moveTo(w * 0.34, h * 0.34); c.lineTo(w * 0.34, h * 0.16)
                c.lineTo(w * 0.84, h * 0.16); c.lineTo(w * 0.84, h * 0.66); c.lineTo(w * 0.66, h * 0.66)
                c.stroke()
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
            case "minus":
                c.moveTo(w * 0.18, h * 0.5); c.lineTo(w * 0.82, h * 0.5); c.stroke()
                break
            case "gear":
                c.arc(w * 0.5, h * 0.5, w * 0.2, 0, Math.PI * 2); c.stroke()
                c.beginPath()
                c.lineWidth = 2.4
                for (let i = 0; i < 8; ++i) {
                    const a = i * Math.PI / 4
                    c.moveTo(w * (0.5 + 0.3 * Math.cos(a)), h * (0.5 + 0.3 * Math.sin(a)))
                    c.lineTo(w * (0.5 + 0.44 * Math.cos(a)), h * (0.5 + 0.44 * Math.sin(a)))
                }
                c.stroke()
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
        activeFocusOnTab: true
        Keys.onSpacePressed: button.clicked()
        Keys.onReturnPressed: button.clicked()
        Keys.onEnterPressed: button.clicked()
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

        FocusRing {}

        // Shown above the button: the grid covers the area just below the toolbar.
        SkinToolTip {
            visible: button.tip !== "" && button.hovered
            text: button.tip
            y: -implicitHeight - 6
        }
    }

    // A title-bar button.
    component WindowButton: Rectangle {
        id: windowButton
        property string glyph
        property string tip
        property bool danger: false
        signal clicked()
        width: 34
        height: 26
        radius: 5
        activeFocusOnTab: true
        Keys.onSpacePressed: windowButton.clicked()
        Keys.onReturnPressed: windowButton.clicked()
        Keys.onEnterPressed: windowButton.clicked()
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
        FocusRing {
            around: 1
        }
        // Shown below the button, inside the window.
        SkinToolTip {
            visible: windowButton.tip !== "" && area.containsMouse
            text: windowButton.tip
            y: windowButton.height + 6
            x: windowButton.width - implicitWidth
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
        activeFocusOnTab: true
        Keys.onSpacePressed: tab.clicked()
        Keys.onReturnPressed: tab.clicked()
        Keys.onEnterPressed: tab.clicked()
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
        FocusRing {
            around: -2
            radius: 5
        }
    }

    // A whole number between `from` and `to` that follows `variable`; a change
    // by the user writes the variable, then sends `changeCommand`. A zero
    // shows as `zeroText` when there is one.
    component NumberBox: SpinBox {
        id: numberBox
        property string variable
        property string changeCommand
        property string zeroText: ""
        implicitWidth: 132
        implicitHeight: 28
        editable: true
        focusPolicy: Qt.StrongFocus
        value: Number(skin.valueOf(variable))
        font.pixelSize: 13
        validator: RegularExpressionValidator { regularExpression: /[0-9]{0,8}|No limit/ }
        textFromValue: (number, locale) => number === 0 && zeroText !== "" ? zeroText
                                                                             : String(number)
        valueFromText: (text, locale) => {
            const number = parseInt(text, 10)
            return isNaN(number) ? 0 : number
        }
        onValueModified: {
            skin.setVariable(variable, String(value))
            skin.send(changeCommand)
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
        SkinButton {
            id: settingsButton
            objectName: "settingsButton"
            quiet: !settingsPanel.visible
            glyph: "gear"
            label: "Settings"
            implicitHeight: 30
            tip: settingsPanel.visible ? "" : "Connections, downloads at once and speed limit"
            onClicked: settingsPanel.visible ? settingsPanel.close() : settingsPanel.open()
        }
    }

    // A press anywhere else in the skin closes the settings panel, and goes on
    // to whatever lies there.
    MouseArea {
        anchors.fill: parent
        z: 4
        visible: settingsPanel.visible
        onPressed: mouse => {
            const onButton = settingsButton.contains(mapToItem(settingsButton, mouse.x, mouse.y))
            if (!onButton) settingsPanel.close()
            mouse.accepted = false
        }
    }
    Rectangle {
        id: settingsPanel
        objectName: "settingsPanel"
        // Below the tabs, clear of the grid's well (its top is at 257).
        anchors.right: parent.right
        anchors.rightMargin: 36
        y: 92
        z: 5
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
            if (hadFocus) settingsButton.forceActiveFocus(Qt.TabFocusReason)
        }
        function holdsFocus() {
            for (let item = Window.activeFocusItem; item; item = item.parent) {
                if (item === settingsPanel) return true
            }
            return false
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
                variable: "_root.connections_NS"
                changeCommand: "ID_FS_connectionsChange"
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
                variable: "_root.downloadsAtOnce_NS"
                changeCommand: "ID_FS_downloadsAtOnceChange"
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
                variable: "_root.speedLimit_NS"
                changeCommand: "ID_FS_speedLimitChange"
            }
            Text {
                text: "KB/s"
                color: "#a9b2b4"
                font.pixelSize: 12
            }
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
                onTextChanged: skin.store["_root.video_url"] = text
                onAccepted: skin.addAddress()
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
        CheckLine {
            objectName: "ytDlpCheck"
            anchors.right: parent.right
            anchors.rightMargin: 40
            y: 172
            variable: "_root.ytDlp_CB"
            text: "Use yt-dlp for other sites"
            onToggled: skin.toggleYtDlp()
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
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "IDC_FS_moveUp"
                width: 32; implicitHeight: 28
                glyph: "up"
                tip: "Move the first selected item up (Alt+Up)"
                onClicked: skin.send(objectName)
            }
            SkinButton {
                objectName: "IDC_FS_moveDown"
                width: 32; implicitHeight: 28
                glyph: "down"
                tip: "Move the first selected item down (Alt+Down)"
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
                tip: "Remove the selected items (Delete)"
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
            onClicked: skin.send(objectName)
        }

        // Start / stop.
        Rectangle {
            id: startStop
            objectName: "startStopButton"
            anchors.right: parent.right
            anchors.rightMargin: 40
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 77
            width: 162
            height: 52
            radius: 8
            activeFocusOnTab: true
            Keys.onSpacePressed: startStop.press()
            Keys.onReturnPressed: startStop.press()
            Keys.onEnterPressed: startStop.press()
            function press() {
                skin.send(skin.running ? "IDC_FS_stopDownload" : "IDC_FS_startDownload")
            }
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
                onClicked: startStop.press()
            }
            FocusRing {}
        }

        CheckLine {
            objectName: "keepListCheck"
            x: 36
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 45
            variable: "_root.keepList_CB"
            text: "Keep the list when Tarnwick closes"
            onToggled: skin.toggleKeepList()
        }
        CheckLine {
            objectName: "otherSitesCheck"
            x: 322
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 45
            variable: "_root.otherSites_CB"
            text: "Also try pages of other sites"
            onToggled: skin.toggleOtherSites()
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

        // The card takes the room the window gains; its text wraps to it.
        Rectangle {
            anchors.fill: parent
            anchors.leftMargin: 36
            anchors.topMargin: 108
            anchors.rightMargin: 40
            anchors.bottomMargin: 49
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
                id: aboutTextItem
                objectName: "aboutText"
                x: 148
                y: 72
                width: parent.width - 176
                text: skin.aboutText
                color: "#dfe5e4"
                font.pixelSize: 13
                lineHeight: 1.25
                wrapMode: Text.Wrap
            }
            // Which yt-dlp there is; a long path is shortened in its middle.
            Text {
                id: ytDlpLine
                objectName: "ytDlpText"
                x: 148
                anchors.top: aboutTextItem.bottom
                anchors.topMargin: 4
                width: parent.width - 176
                text: skin.valueOf("_root.ytDlpTxt")
                color: "#a9b2b4"
                font.pixelSize: 12
                elide: Text.ElideMiddle
                textFormat: Text.PlainText
            }

            // Below the text above, which takes more lines in a narrow window.
            Rectangle {
                id: aboutRule
                x: 28
                y: Math.max(176, ytDlpLine.y + ytDlpLine.height + 8)
                width: parent.width - 56
                height: 1
                color: "#4f5c60"
            }
            Caption {
                x: 28
                y: aboutRule.y + 20
                text: "Supported sites"
            }
            Flow {
                id: siteChips
                x: 28
                y: aboutRule.y + 44
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
                y: siteChips.y + Math.max(siteChips.height, 100) + 20
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
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 22
                width: 64
                height: 4
                radius: 2
                color: "#ffc700"
            }
            Rectangle {
                x: 96
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 22
                width: 28
                height: 4
                radius: 2
                color: "#9cb863"
            }
            Rectangle {
                x: 128
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 22
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
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 1
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
            id: statusText
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
        // A status too long for the line shows whole in a tooltip.
        MouseArea {
            id: statusHover
            anchors.fill: statusText
            hoverEnabled: true
            acceptedButtons: Qt.NoButton
        }
        SkinToolTip {
            visible: statusHover.containsMouse && statusText.truncated
            text: statusText.text
            y: -implicitHeight - 6
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

    // ---- Title bar ----------------------------------------------------------
    // Declared after the pages so that Tab reaches its buttons last.

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
                    skin.send("IDC_FS_Drag")
                }
            }
            onDoubleClicked: skin.send("IDC_FS_Maximize")
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
                onClicked: skin.send(objectName)
            }
            WindowButton {
                objectName: "IDC_FS_Maximize"
                glyph: skin.maximized ? "restore" : "maximize"
                tip: skin.maximized ? "Restore the window's size" : "Maximise"
                onClicked: skin.send(objectName)
            }
            WindowButton {
                objectName: "IDC_FS_Tray"
                glyph: "tray"
                tip: "Hide in the tray"
                onClicked: skin.send(objectName)
            }
            WindowButton {
                objectName: "IDC_FS_Close"
                glyph: "close"
                tip: "Exit (Ctrl+Q)"
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

    // ---- Borders to resize the window from ---------------------------------
    // Above everything else along the window's edges, while it is not maximised.

    component ResizeBorder: MouseArea {
        property string edges
        visible: !skin.maximized
        onPressed: skin.command("IDC_FS_Resize", edges)
    }
    readonly property int borderWidth: 5
    readonly property int cornerSize: 12
    ResizeBorder {
        objectName: "resizeLeft"
        edges: "left"
        y: skin.cornerSize
        width: skin.borderWidth
        height: skin.height - 2 * skin.cornerSize
        cursorShape: Qt.SizeHorCursor
    }
    ResizeBorder {
        objectName: "resizeRight"
        edges: "right"
        x: skin.width - width
        y: skin.cornerSize
        width: skin.borderWidth
        height: skin.height - 2 * skin.cornerSize
        cursorShape: Qt.SizeHorCursor
    }
    ResizeBorder {
        objectName: "resizeTop"
        edges: "top"
        x: skin.cornerSize
        width: skin.width - 2 * skin.cornerSize
        height: skin.borderWidth
        cursorShape: Qt.SizeVerCursor
    }
    ResizeBorder {
        objectName: "resizeBottom"
        edges: "bottom"
        x: skin.cornerSize
        y: skin.height - height
        width: skin.width - 2 * skin.cornerSize
        height: skin.borderWidth
        cursorShape: Qt.SizeVerCursor
    }
    ResizeBorder {
        objectName: "resizeTopLeft"
        edges: "top left"
        width: skin.cornerSize
        height: skin.cornerSize
        cursorShape: Qt.SizeFDiagCursor
    }
    ResizeBorder {
        objectName: "resizeTopRight"
        edges: "top right"
        x: skin.width - width
        width: skin.cornerSize
        height: skin.cornerSize
        cursorShape: Qt.SizeBDiagCursor
    }
    ResizeBorder {
        objectName: "resizeBottomLeft"
        edges: "bottom left"
        y: skin.height - height
        width: skin.cornerSize
        height: skin.cornerSize
        cursorShape: Qt.SizeBDiagCursor
    }
    ResizeBorder {
        objectName: "resizeBottomRight"
        edges: "bottom right"
        x: skin.width - width
        y: skin.height - height
        width: skin.cornerSize
        height: skin.cornerSize
        cursorShape: Qt.SizeFDiagCursor
    }
}
