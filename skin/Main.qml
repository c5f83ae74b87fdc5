// Tarnwick's skin: the whole surface of the main window, 648 x 585 at the
// least and as large as the user makes it: its edges and the controls along
// them keep their place, the address field, the folder field and the well
// under the download grid grow with the window.
//
// This file keeps what the program talks to (the variable store, the command
// signal, the properties below) and puts the skin together from the parts
// beside it: TitleBar, PageBar (the tabs and the buttons beside them),
// SettingsPanel, DownloadPage, AboutPage, StatusBar and WindowBorders. Each
// part is given the skin as its `skin`, to read the variables and send the
// commands through it. The controls they are made of know nothing of the
// skin (SkinButton, WindowButton, PageTab, CheckLine, NumberBox, ...), and
// their drawings are the SVG files in icons/.
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
//  "_root.downloadsAtOnce_NS"     connections per download (1 to 16), the
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
//  "_root.page"                   "About", "History" or "Download": that page opens as
//                                 its tab opens it, command and all, unless it
//                                 is open already
//  "_root.downloadAgain_CB"       the History page's download-again check box
//  "_root.history..."             the History page's rows, count, first row,
//                                 search, room and chosen row (HistoryPage.qml)
//  "_root.Download_CB", "_root.Convert_CB" are only stored.
//
// A check box the user toggles writes its variable, then sends its command:
// "ID_FS_autoDownloadCheck" / "ID_FS_autoDownloadUncheck", "ID_FS_keepListCheck"
// / "ID_FS_keepListUncheck", "ID_FS_otherSitesCheck" / "ID_FS_otherSitesUncheck",
// "ID_FS_ytDlpCheck" / "ID_FS_ytDlpUncheck", "ID_FS_downloadAgainCheck" /
// "ID_FS_downloadAgainUncheck". The History page sends "IDC_FS_History" as it
// opens, "ID_FS_historySearch" and "ID_FS_historyScroll", and for its buttons
// "ID_FS_historyOpen", "ID_FS_historyShow", "ID_FS_historyCopy",
// "ID_FS_historyAgain", "ID_FS_historyRemove", "ID_FS_historyClear",
// "ID_FS_historyImport" and "ID_FS_historyExport"; the status line's "Show"
// link sends "ID_FS_statusShow". A number box the user changes
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
    readonly property rect gridArea: downloadPage.gridArea
    // Whether the window can be seen: the program clears it while the window
    // is hidden, minimised or in the tray, and the skin rests meanwhile.
    property bool awake: true
    // The one beat of everything that shows the skin is busy: the program
    // counts it four times a second, on the marks that the window's other
    // steady changes keep too, only while there is something to show and the
    // window is seen. Each beat repaints the few small items that follow it,
    // nothing else.
    readonly property bool beating: awake && (running || downloadTabMarked)
    property int beat: 0
    onBeatingChanged: if (!beating) beat = 0
    // Half the beat: on for half a second, off for the next.
    readonly property bool pulse: beat % 4 >= 2

    function setVariable(path, value) {
        const text = value === undefined || value === null ? "" : String(value)
        store[String(path)] = text
        switch (String(path)) {
        case "_root.video_url":
            if (downloadPage.address !== text) downloadPage.address = text
            break
        case "_root.startDownload":
        case "_root.downloadBtn":
        case "_root.downloadTab":
            running = text === "0"
            break
        case "_root.downloadBtnTab":
            if (text === "1" && page !== "Download") downloadTabMarked = true
            break
        case "_root.page":
            if ((text === "About" || text === "Download" || text === "History") && page !== text)
                openPage(text)
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
        send("IDC_FS_" + name)
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

    readonly property string aboutText: valueOf("_root.aboutTxt").replace(/\r\n|\r/g, "\n")
    readonly property string versionText: aboutText.split("\n")[0]

    // ---- The parts ----------------------------------------------------------
    // In the order Tab follows: the tabs and the buttons beside them, the
    // settings panel while it is open, the Download page, the title bar.

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

    // Each part's `skin: skin` gives it this item: in a binding, the id comes
    // before the part's own property of the same name.
    PageBar {
        id: pageBar
        anchors.fill: parent
        skin: skin
        settingsPanel: settingsPanel
    }

    // A press anywhere else in the skin closes the settings panel, and goes on
    // to whatever lies there.
    MouseArea {
        anchors.fill: parent
        z: 4
        visible: settingsPanel.visible
        onPressed: mouse => {
            const button = pageBar.settingsButton
            const onButton = button.contains(mapToItem(button, mouse.x, mouse.y))
            if (!onButton) settingsPanel.close()
            mouse.accepted = false
        }
    }
    SettingsPanel {
        id: settingsPanel
        // Below the tabs, clear of the grid's well (its top is at 257).
        anchors.right: parent.right
        anchors.rightMargin: 36
        y: 92
        z: 5
        skin: skin
        opener: pageBar.settingsButton
    }

    DownloadPage {
        id: downloadPage
        anchors.fill: parent
        skin: skin
    }
    HistoryPage {
        anchors.fill: parent
        skin: skin
    }
    AboutPage {
        anchors.fill: parent
        skin: skin
    }

    StatusBar {
        x: 1
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 1
        width: parent.width - 2
        skin: skin
    }

    // Declared after the pages so that Tab reaches its buttons last.
    TitleBar {
        x: 1
        y: 1
        width: parent.width - 2
        skin: skin
    }

    // Above everything else along the window's edges, while it is not maximised.
    WindowBorders {
        anchors.fill: parent
        visible: !skin.maximized
        onResize: edges => skin.command("IDC_FS_Resize", edges)
    }
}
