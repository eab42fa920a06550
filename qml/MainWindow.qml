// The update screen's behaviour: polls the sensor's connection, starts an update, shows the
// busy state, the step and its progress while the updater runs one, and turns each run's
// outcome into a message dialog, a failure's with its details.
import QtQuick 2.4
import QtQuick.Window 2.2
import QtQuick.Dialogs 1.2
import QtQuick.Controls 2.4
import OVK 1.0
import "Endpoints.js" as Endpoints

MainWindowForm {
    anchors.fill: parent

    property bool podConnected: false

    // Busy exactly while the updater runs an update: from the press to its one outcome.
    buttonUpdate.enabled: !updater.running
    busyInd.running: updater.running
    updateText.visible: updater.running
    stepLine.visible: updater.running
    stepLine.text: updater.stepText
    progressBar.visible: updater.running
    // Determinate while the flashing tool (or the download) says how far it has got.
    progressBar.indeterminate: updater.progress < 0
    progressBar.value: Math.max(updater.progress, 0) / 100
    unplugWarning.visible: updater.step === Updater.WritingFirmware

    // For screen readers: what the indicator's colour says.
    podStateName: podConnected ? qsTr("Sensor connected") : updater.outcomeTitle(Updater.NoSensor)

    // The focused button takes Enter as well as Space; the logo's link takes both.
    Keys.onPressed: {
        var enter = event.key === Qt.Key_Return || event.key === Qt.Key_Enter
        if (enter && buttonUpdate.activeFocus && buttonUpdate.enabled) {
            event.accepted = true
            buttonUpdate.clicked()
        } else if ((enter || event.key === Qt.Key_Space) && imgMouse.activeFocus) {
            event.accepted = true
            openWebsite()
        }
    }

    // The button shows its focus frame from the start. Qt shows it only for focus that came by
    // key, and gives the focus back "by program" when the window is active again or the button
    // is enabled again after a run: a keyboard user would lose sight of where the keys go.
    Component.onCompleted: {
        buttonUpdate.focusReason = Qt.TabFocusReason
        podConnected = updater.checkPodConnected()
    }
    Connections {
        target: buttonUpdate
        function onFocusReasonChanged() {
            if (buttonUpdate.focusReason !== Qt.MouseFocusReason && !buttonUpdate.visualFocus)
                buttonUpdate.focusReason = Qt.TabFocusReason
        }
    }

    // What a screen reader says as it happens: the connection, each step, the outcome. Qt 5 has
    // no call for that; screen readers read a notification out as it is shown. Each is one of
    // its own, as screen readers keep what they have read of one; the newest alone shows.
    ListModel {
        id: announced
    }
    Repeater {
        id: announcements
        objectName: "announcements"
        model: announced
        Item {
            visible: false
            Accessible.role: Accessible.Notification
            Accessible.name: words
        }
        onItemAdded: {
            if (index > 0)
                itemAt(index - 1).visible = false
            item.visible = true
        }
    }
    function announce(words) {
        announced.append({ words: words })
        if (announced.count > 4)
            announced.remove(0)
    }
    // The step last announced.
    property int announcedStep: Updater.NoStep

    // Each message dialog is a small scene of its own, made the first time it opens. The one a
    // run ends with is made ahead, once the window is on screen and on a pass of the event loop
    // of its own, so that it is on screen the moment the run ends; made ahead, every other one
    // would cost 1.5 to 3 MiB for a dialog that most runs never show. Every opening sets all that
    // differs between a dialog's uses, so that nothing of an earlier one (details hidden by a
    // press) is left.
    function prepareDialogs() {
        Qt.callLater(dialogOf, updateDoneDialogLoader)
    }
    function dialogOf(loader) {
        if (!loader.active) {
            loader.active = true
            makeAccessible(loader.item, true)
        }
        return loader.item
    }

    // QtQuick.Dialogs tells a screen reader no more than its window's title: each is read as a
    // dialog with its title and, withWords, its texts (not those on its buttons) as labels in
    // it. Closed, it gives the keys back to the window, with or without a window manager.
    function makeAccessible(dialog, withWords) {
        dialog.visibilityChanged.connect(function () {
            if (!dialog.visible)
                Window.window.requestActivate()
        })
        var content = dialog.contentItem
        if (!content) // the platform's own dialog, which the platform reads
            return
        content.Accessible.role = Accessible.Dialog
        content.Accessible.name = Qt.binding(function () { return dialog.title })
        if (withWords)
            labelTexts(content)
    }
    function labelTexts(item) {
        if ("truncated" in item) { // a Text
            item.Accessible.role = Accessible.StaticText
            item.Accessible.name = Qt.binding(function () { return item.text })
            item.Accessible.ignored = Qt.binding(function () { return item.text === "" })
        }
        if (typeof item.clicked === "function")
            return
        for (var i = 0; i < item.children.length; ++i)
            labelTexts(item.children[i])
    }
    function show(loader, title, text) {
        var dialog = dialogOf(loader)
        dialog.title = title
        dialog.text = text
        dialog.open()
    }
    // Details to be hidden are hidden before they are set, and shown ones shown after: none are
    // laid out in vain.
    function report(loader, title, text, icon, details, detailsShown) {
        var dialog = dialogOf(loader)
        dialog.title = title
        dialog.text = text
        dialog.icon = icon
        if (!detailsShown)
            dialog.detailsShown = false
        dialog.details = details
        dialog.detailsShown = detailsShown
        dialog.open()
    }

    function showHistory() {
        report(historyDialogLoader, qsTr("Update history"),
               qsTr("Every update started by this user on this computer, newest first:"),
               StandardIcon.NoIcon, updater.historyText(), true)
    }

    // The window is not closed while a run is going: the flash would go on unseen.
    function explainClosing() {
        dialogOf(closeDialogLoader).open()
    }

    // Re-started by its own handler: a poll every 1500 ms, counted from the end of the last one.
    // Not a Timer: each start of one wakes the render loop for a frame.
    property bool indicatorShowsConnected: false // the form starts red
    PollTimer {
        interval: 1500
        running: true
        onTriggered: {
            podConnected = updater.checkPodConnected()
            // Only when it changes: the border's setter repaints the window even when the colour
            // stays, and the poll is most of what an idle window does.
            if (podConnected !== indicatorShowsConnected) {
                indicatorShowsConnected = podConnected
                podState.color = podConnected ? "#28f64b" : "#f20000"
                podState.border.color = podConnected ? "#029402" : "#ac0505"
                announce(podStateName)
            }
            start()
        }
    }

    buttonUpdate.onClicked: {
        if (!podConnected) {
            show(infoDialogLoader, updater.outcomeTitle(Updater.NoSensor),
                 updater.outcomeText(Updater.NoSensor))
            return
        }
        if (advancedMode && firmwarePath === "") {
            show(infoDialogLoader, qsTr("No firmware chosen"),
                 qsTr("Please chose a firmware file File->Open, or deactivate Advanced mode to get the latest Terravox update online"))
            return
        }
        updater.updatePod(advancedMode ? firmwarePath : updater.packagePath)
    }

    function openWebsite() {
        Qt.openUrlExternally("http://" + Endpoints.webHost)
    }
    imgMouse.onClicked: openWebsite()

    Connections {
        target: updater

        function onNewVersion(currVersion, newVersion) {
            dialogOf(newVerDialogLoader).open()
            console.log(currVersion)
            console.log(newVersion)
        }

        // A step once, as it begins: not each percent of it.
        function onStepChanged() {
            if (updater.step !== announcedStep && updater.stepText !== "")
                announce(updater.stepText)
            announcedStep = updater.step
        }

        function onUsbError(error, error_name) {
            console.log(error + " " + error_name)
        }

        function onRunEnded(outcome) {
            // What it said of the run is no longer so.
            if (closeDialogLoader.active)
                closeDialogLoader.item.close()
            var title = updater.outcomeTitle(outcome)
            var text = updater.outcomeText(outcome)
            announce(title)
            switch (outcome) {
            case Updater.AccessDenied:
            case Updater.UpdateAlreadyRunning:
            case Updater.MoreThanOneSensor:
            case Updater.LockUnavailable:
            case Updater.NoFlashingTool:
                show(errorDialogLoader, title, text)
                break
            default:
                // A failure says what happened, for the user or whoever helps them.
                var done = outcome === Updater.Done
                report(updateDoneDialogLoader, title, text,
                       done ? StandardIcon.Information : StandardIcon.Critical,
                       done ? "" : updater.runDetails(), false)
            }
        }
    }

    Loader {
        id: infoDialogLoader
        active: false
        sourceComponent: MessageDialog {
            id: infoDialog
            objectName: "infoDialog"
            icon: StandardIcon.Critical
        }
    }

    Loader {
        id: errorDialogLoader
        active: false
        sourceComponent: MessageDialog {
            id: errorDialog
            objectName: "errorDialog"
            icon: StandardIcon.Critical
        }
    }

    Loader {
        id: updateDoneDialogLoader
        active: false
        sourceComponent: ReportDialog {
            id: updateDoneDialog
            objectName: "updateDoneDialog"
        }
    }

    Loader {
        id: historyDialogLoader
        active: false
        sourceComponent: ReportDialog {
            id: historyDialog
            objectName: "historyDialog"
        }
    }

    Loader {
        id: closeDialogLoader
        active: false
        sourceComponent: MessageDialog {
            id: closeDialog
            objectName: "closeDialog"
            title: qsTr("Update in progress")
            text: qsTr("The sensor is being updated. The window can be closed once the update has finished.")
            icon: StandardIcon.Warning
        }
    }

    Loader {
        id: newVerDialogLoader
        active: false
        sourceComponent: MessageDialog {
            id: newVerDialog
            objectName: "newVerDialog"
            title: qsTr("New program version available")
            text: qsTr("A new version of this program is available, press OK to download the last version")
            icon: StandardIcon.Information
            standardButtons: StandardButton.Ok | StandardButton.Cancel
            onAccepted: Qt.openUrlExternally("https://" + Endpoints.helpHost + "/files/terravox/v2/sensor/updater/updater.zip")
        }
    }
}
