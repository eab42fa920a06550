// The program's window: menus, Advanced mode with its firmware file dialog, and the update
// screen. Starts the version check and the package download once it is built.
import QtQuick 2.9
import QtQuick.Window 2.2
import QtQuick.Controls 2.4
import QtQuick.Dialogs 1.0
import "Endpoints.js" as Endpoints

ApplicationWindow {
    visible: true
    width: 480
    // The update screen is 224 high, enough for the step and its progress bar below the
    // progress text, whatever the menu bar's font takes (264 in all with its 40 here). Its
    // implicit height is known before the window is shown, so the window is made that high.
    height: 224 + menuBar.implicitHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    // The program's name, in every language.
    title: "OVK Sensor Updater"

    property bool advancedMode: false
    property string firmwarePath: ""

    menuBar: MenuBar {
        // A disabled menu looks disabled in the bar too, and does not open.
        delegate: MenuBarItem {
            enabled: menu !== null && menu.enabled
            // Qt 5 leaves the Alt letter of a menu dead if it was disabled as the bar was made:
            // it is taken anew (as on showing) whenever the menu is enabled.
            onEnabledChanged: {
                visible = false
                visible = true
            }
        }

        Menu {
            title: qsTr("&File")
            enabled: advancedMode
            onOpened: enterByKeyboard(this)

            Action {
                id: openAction
                text: qsTr("&Open")
                onTriggered: openFileDialog()
            }
        }
        Menu {
            title: qsTr("&Settings")
            onOpened: enterByKeyboard(this)

            Action {
                text: qsTr("&Advanced mode")
                checkable: true
                checked: false
                onCheckedChanged: {
                    advancedMode = checked
                    if (checked)
                        openFileDialog()
                }
            }
        }
        Menu {
            title: qsTr("&Help")
            onOpened: enterByKeyboard(this)

            Action {
                text: qsTr("&Usage")
                onTriggered: Qt.openUrlExternally("http://" + Endpoints.helpHost)
            }
            Action {
                text: qsTr("&About")
                onTriggered: Qt.openUrlExternally("https://" + Endpoints.webHost + "/about-us/")
            }
            Action {
                text: qsTr("Update &history")
                onTriggered: mainWindow.showHistory()
            }
            Action {
                text: qsTr("Open &log folder")
                onTriggered: Qt.openUrlExternally(updater.logFolder)
            }
        }
    }

    // A menu opened from the keyboard (its Alt letter, or the arrows from the menu beside it)
    // starts on its first entry, which takes the keys: a screen reader reads where they are. One
    // opened under the pointer starts on none.
    function enterByKeyboard(menu) {
        for (var i = 0; i < menuBar.count; ++i) {
            if (menuBar.itemAt(i).hovered)
                return
        }
        menu.currentIndex = 0
    }

    // Made the first time it opens: the built-in dialog is a whole view of its own, which would
    // cost every start about 5 MiB and 10 ms for a dialog that most users never open.
    Loader {
        id: fileDialogLoader
        active: false
        onLoaded: mainWindow.makeAccessible(item, false)
        sourceComponent: FileDialog {
            id: fileDialog
            objectName: "fileDialog"
            title: qsTr("Please choose a firmware file")
            folder: shortcuts.home
            nameFilters: [qsTr("OVK Sensor update file (*.zip)"), qsTr("All files (*)")]
            onAccepted: {
                console.log("You chose: " + fileDialog.fileUrls)
                firmwarePath = updater.handleFileChosen(fileDialog.fileUrl.toString())
                console.log(firmwarePath)
            }
            onRejected: console.log("Canceled")
        }
    }

    function openFileDialog() {
        fileDialogLoader.active = true
        fileDialogLoader.item.open()
    }

    MainWindow {
        id: mainWindow
        objectName: "mainWindow"
        anchors.fill: parent
    }

    // A run that only waits for its package has not touched the sensor: it is withdrawn.
    onClosing: {
        if (updater.running && !updater.withdrawWaitingRun()) {
            close.accepted = false
            mainWindow.explainClosing()
        }
    }

    // The online calls wait for the window's first frame: starting the network (TLS, the
    // bearer plugins) takes longer than drawing the window, and nothing of it is on screen. A
    // window that is never drawn (started minimised) starts them a second after all. So does
    // the result dialog, made in the background so that it is not made at the moment it is needed.
    property bool onlineStarted: false
    function startOnline() {
        if (onlineStarted)
            return
        onlineStarted = true
        updater.checkProgramVersion()
        updater.downloadLastPodVersion()
        mainWindow.prepareDialogs()
    }
    onFrameSwapped: startOnline()
    Timer {
        interval: 1000
        running: true
        onTriggered: startOnline()
    }
}
