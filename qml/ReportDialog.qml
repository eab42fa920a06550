// A message with an outcome's words and, for a failure or the history, the text in detail:
// shown on request or at once, and copied whole with one button. Escape closes it; Enter is OK,
// or presses the button that has the focus.
import QtQuick 2.9
// The dialog's own OK button is one of Controls 1: its other buttons are of the same kind.
import QtQuick.Controls 1.4
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

    // The images of the window's message dialogs, from where QtQuick.Dialogs keeps them.
    function iconSource(icon) {
        switch (icon) {
        case StandardIcon.Information:
            return standardIconFolder + "information.png"
        case StandardIcon.Warning:
            return standardIconFolder + "warning.png"
        case StandardIcon.Critical:
            return standardIconFolder + "critical.png"
        case StandardIcon.Question:
            return standardIconFolder + "question.png"
        }
        return ""
    }

    Column {
        width: 440
        spacing: 10

        Row {
            width: parent.width
            spacing: 10

            Image {
                id: iconImage
                objectName: "reportIcon"
                visible: dialog.icon !== StandardIcon.NoIcon
                source: dialog.iconSource(dialog.icon)
                Accessible.ignored: true
            }

            Text {
                objectName: "reportText"
                width: parent.width - (iconImage.visible ? iconImage.width + parent.spacing : 0)
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
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
            Button {
                objectName: "copyButton"
                text: qsTr("Copy")
                Accessible.description: qsTr("Copies the message and its details")
                onClicked: dialog.copyAll()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
        }

        // Made when first shown and laid out only while shown: a failure's log runs to hundreds
        // of lines, and its dialog is on screen the moment the run ends.
        Loader {
            id: detailsLoader
            active: false
            visible: dialog.detailsShown
            width: parent.width
            height: 240
            sourceComponent: TextArea {
                objectName: "detailsArea"
                text: dialog.detailsShown ? dialog.details : ""
                textFormat: TextEdit.PlainText
                // The history is a table: its columns stay in line.
                wrapMode: TextEdit.NoWrap
                readOnly: true
                selectByMouse: true
                font: fixedFont
                Accessible.name: qsTr("Details")
            }
        }
    }
    onDetailsShownChanged: {
        if (detailsShown)
            detailsLoader.active = true
    }

    TextEdit {
        id: clipboard
        visible: false
    }
}
