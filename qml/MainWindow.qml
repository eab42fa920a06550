// The update screen's behaviour: polls the sensor's connection, starts an update, shows the
// busy state and turns the updater's signals into message dialogs.
import QtQuick 2.4
import QtQuick.Dialogs 1.2
import QtQuick.Controls 2.4
import "Endpoints.js" as Endpoints

MainWindowForm {
    anchors.fill: parent

    property bool podConnected: false
    // From the press to the run's one outcome.
    property bool updating: false

    function showBusy(busy) {
        updating = busy
        buttonUpdate.enabled = !busy
        busyInd.running = busy
        updateText.visible = busy
    }

    // The window is not closed while a run is going: the flash would go on unseen.
    function explainClosing() {
        closeDialog.open()
    }

    Component.onCompleted: podConnected = updater.checkPodConnected()

    // Re-started by its own handler: a poll every 1500 ms, counted from the end of the last one.
    Timer {
        interval: 1500
        running: true
        repeat: false
        onTriggered: {
            podConnected = updater.checkPodConnected()
            if (podConnected) {
                podState.color = "#28f64b"
                podState.border.color = "#029402"
            } else {
                podState.color = "#f20000"
                podState.border.color = "#ac0505"
            }
            start()
        }
    }

    buttonUpdate.onClicked: {
        if (!podConnected) {
            infoDialog.title = qsTr("No sensor connected")
            infoDialog.text = qsTr("Please connect a Sensor.")
            infoDialog.open()
            return
        }
        if (advancedMode && firmwarePath === "") {
            infoDialog.title = qsTr("No firmware chosen")
            infoDialog.text = qsTr("Please chose a firmware file File->Open, or deactivate Advanced mode to get the latest Terravox update online")
            infoDialog.open()
            return
        }
        showBusy(true)
        updater.updatePod(advancedMode ? firmwarePath : Endpoints.packagePath)
    }

    imgMouse.onClicked: Qt.openUrlExternally("http://" + Endpoints.webHost)

    Connections {
        target: updater

        function onNewVersion(currVersion, newVersion) {
            newVerDialog.open()
            console.log(currVersion)
            console.log(newVersion)
        }

        function onUpdateDone(exitCode) {
            showBusy(false)
            // Refused before anything touched the sensor (the updater's codes -5 and -6).
            if (exitCode === -5) {
                errorDialog.title = qsTr("Update already running")
                errorDialog.text = qsTr("Another program on this computer is updating a sensor. Please wait until it has finished.")
                errorDialog.open()
                return
            }
            if (exitCode === -6) {
                errorDialog.title = qsTr("More than one sensor connected")
                errorDialog.text = qsTr("Please connect only one sensor.")
                errorDialog.open()
                return
            }
            if (exitCode === 0) {
                updateDoneDialog.icon = StandardIcon.Information
                updateDoneDialog.title = qsTr("Update done")
                updateDoneDialog.text = qsTr("The update has been completed successfully")
            } else {
                updateDoneDialog.icon = StandardIcon.Critical
                updateDoneDialog.title = qsTr("Error on update")
                updateDoneDialog.text = qsTr("Something went wrong during the update process, please try again.")
            }
            updateDoneDialog.open()
        }

        function onUsbError(error, error_name) {
            console.log(error + " " + error_name)
            // Only access denied ends the run; after any other error it goes on to its port
            // search and one outcome.
            if (error === -3) {
                errorDialog.title = qsTr("Access denied")
                errorDialog.text = qsTr("We couldn't access your sensor. Please disconnect your sensor and make sure it's not open in any chrome tab")
                errorDialog.open()
                showBusy(false)
            }
        }
    }

    MessageDialog {
        id: infoDialog
        objectName: "infoDialog"
        title: qsTr("No sensor connected")
        text: qsTr("Please connect a Sensor.")
        icon: StandardIcon.Critical
    }

    MessageDialog {
        id: errorDialog
        objectName: "errorDialog"
        icon: StandardIcon.Critical
    }

    MessageDialog {
        id: updateDoneDialog
        objectName: "updateDoneDialog"
        title: qsTr("Update done")
        text: qsTr("The update has been completed successfully")
        icon: StandardIcon.Information
    }

    MessageDialog {
        id: closeDialog
        objectName: "closeDialog"
        title: qsTr("Update in progress")
        text: qsTr("The sensor is being updated. The window can be closed once the update has finished.")
        icon: StandardIcon.Warning
    }

    MessageDialog {
        id: newVerDialog
        objectName: "newVerDialog"
        title: qsTr("New program version available")
        text: qsTr("A new version of this program is available, press OK to download the last version")
        icon: StandardIcon.Information
        standardButtons: StandardButton.Ok | StandardButton.Cancel
        onAccepted: Qt.openUrlExternally("https://" + Endpoints.helpHost + "/files/terravox/v2/sensor/updater/updater.zip")
    }
}
