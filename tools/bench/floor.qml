// The floor of the benchmark: a bare window of the same modules and size as the program's, with
// a menu bar, a button, a busy indicator, the logo and one message dialog, and no logic but the
// opening of that dialog, as the program opens its result (showMessage, from floor.cpp).
import QtQuick 2.9
import QtQuick.Window 2.2
import QtQuick.Controls 2.4
import QtQuick.Dialogs 1.2

ApplicationWindow {
    visible: true
    width: 480
    height: 240
    title: "Floor"

    menuBar: MenuBar {
        Menu {
            title: "&File"
            Action { text: "&Open" }
        }
        Menu {
            title: "&Help"
            Action {
                text: "&About"
                onTriggered: {
                    dialogLoader.active = true
                    dialogLoader.item.open()
                }
            }
        }
    }

    RoundButton {
        x: 55
        anchors.verticalCenter: parent.verticalCenter
        width: 96
        height: 58
        radius: 3
        text: "Update Sensor"
    }

    BusyIndicator {
        x: 167
        anchors.verticalCenter: parent.verticalCenter
        running: false
    }

    Image {
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: 8
        width: 170
        source: "img/OVK_logo.png"
        fillMode: Image.PreserveAspectFit
    }

    // Its message dialog is made once the window is on screen, on a pass of the event loop of its
    // own, as the program makes its result dialog, and opened as the program opens that.
    property bool dialogMade: false
    onFrameSwapped: {
        if (!dialogMade) {
            dialogMade = true
            Qt.callLater(function () { dialogLoader.active = true })
        }
    }
    function showMessage() {
        dialogLoader.active = true
        var dialog = dialogLoader.item
        dialog.title = "Floor message"
        dialog.text = "The update has been completed successfully"
        dialog.icon = StandardIcon.Information
        dialog.open()
    }

    Loader {
        id: dialogLoader
        active: false
        sourceComponent: MessageDialog {
            title: "About"
            text: "The floor of the benchmark."
        }
    }
}
