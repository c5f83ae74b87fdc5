// The About page: a card with the program's icon, name and version text,
// which yt-dlp there is, and the sites it knows. It fills the skin.

import QtQuick

Item {
    id: page
    // The skin, whose variables the texts show.
    required property Item skin

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
            text: page.skin.aboutText
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
            text: page.skin.valueOf("_root.ytDlpTxt")
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
