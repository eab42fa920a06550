// A message with an outcome's words and, for a failure or the history, the text in detail:
// shown on request or at once, and copied whole with one button. Escape closes it; Enter is OK.
import QtQuick 2.9
import QtQuick.Controls 2.4
import QtQuick.Dialogs 1.2

Dialog {
    id: dialog
    property string text
    property int icon: StandardIcon.NoIcon
    property string details
    property bool detailsShown: false
    standardButtons: StandardButton.Ok

    // Title, words and details, as a support request would want them.
    function copyAll() {
        clipboard.text = title + "\n" + text + (details !== "" ? "\n\n" + details : "")
        clipboard.selectAll()
        clipboard.copy()
    }

    Column {
        width: 440
        spacing: 10

        Row {
            width: parent.width
            spacing: 10

            Rectangle {
                id: badge
                visible: dialog.icon !== StandardIcon.NoIcon
                width: 32
                height: 32
                radius: 16
                color: dialog.icon === StandardIcon.Information ? "#1565c0"
                     : dialog.icon === StandardIcon.Warning ? "#d98c00" : "#c62828"
                Accessible.ignored: true

                Text {
                    anchors.centerIn: parent
                    text: dialog.icon === StandardIcon.Information ? "i" : "!"
                    color: "white"
                    font.bold: true
                    font.pixelSize: 20
                }
            }

            Text {
                objectName: "reportText"
                width: parent.width - (badge.visible ? badge.width + parent.spacing : 0)
                text: dialog.text
                wrapMode: Text.WordWrap
                font.bold: true
            }
        }

        Row {
            spacing: 8
            visible: dialog.details !== ""

            Button {
                objectName: "detailsButton"
                text: dialog.detailsShown ? qsTr("Hide details") : qsTr("Details")
                onClicked: dialog.detailsShown = !dialog.detailsShown
            }
            Button {
                objectName: "copyButton"
                text: qsTr("Copy")
                Accessible.description: qsTr("Copies the message and its details")
                onClicked: dialog.copyAll()
            }
        }

        ScrollView {
            visible: dialog.detailsShown
            width: parent.width
            height: 240
            clip: true

            TextArea {
                objectName: "detailsArea"
                text: dialog.details
                readOnly: true
                selectByMouse: true
                font.family: "monospace"
                font.pixelSize: 11
                Accessible.name: qsTr("Details")
            }
        }
    }

    TextEdit {
        id: clipboard
        visible: false
    }
}
