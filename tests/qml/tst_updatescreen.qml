// The update screen's behaviour: button outcomes, busy state, dialogs and the connection poll.
import QtQuick 2.9
import QtTest 1.2
import QtQuick.Dialogs 1.2
import OVK 1.0
import "WindowHelper.js" as Helper
import "qrc:/Endpoints.js" as Endpoints

TestCase {
    id: testCase
    name: "UpdateScreen"
    when: windowShown

    property var window: null
    property var screen: null

    function open(connected) {
        updater.reset()
        updater.connected = connected
        window = Helper.createWindow(testCase)
        screen = Helper.find(testCase, window, "mainWindow")
    }

    // No window goes with a dialog of its still open: under Wine destroying a window whose
    // modal dialog is open can hang the program.
    function cleanup() {
        var names = ["infoDialog", "errorDialog", "updateDoneDialog", "closeDialog", "newVerDialog"]
        for (var i = 0; screen && i < names.length; ++i) {
            var d = testCase.findChild(screen, names[i])
            if (d && d.visible)
                d.close()
        }
    }

    function dialog(name) {
        return Helper.find(testCase, screen, name)
    }

    // Presses key in the dialog d once its window has the keys, as a shown dialog's window gets
    // them: Escape or Enter closes it.
    function pressIn(d, key) {
        tryVerify(function () { return d.contentItem.activeFocus }, 3000, d.objectName + " keys")
        keyClick(key)
        verify(!d.visible, d.objectName + " closed by its key")
    }

    // What a screen reader was last told, as it happened; "" when nothing was.
    function announced() {
        var notifications = Helper.find(testCase, screen, "announcements")
        for (var i = 0; i < notifications.count; ++i) {
            if (notifications.itemAt(i).visible)
                return notifications.itemAt(i).Accessible.name
        }
        return ""
    }

    // Dialogs are made the first time they open: one never made is not shown either.
    function shown(name) {
        var found = testCase.findChild(screen, name)
        return found !== null && found.visible
    }

    function verifyIdle() {
        verify(screen.buttonUpdate.enabled, "button enabled")
        verify(!screen.busyInd.running, "busy indicator stopped")
        verify(!screen.updateText.visible, "progress text hidden")
        verify(!screen.stepLine.visible && !screen.progressBar.visible, "no step shown")
    }

    function verifyBusy() {
        verify(!screen.buttonUpdate.enabled, "button disabled")
        verify(screen.busyInd.running, "busy indicator running")
        verify(screen.updateText.visible, "progress text shown")
        verify(screen.stepLine.visible && screen.progressBar.visible, "step shown")
    }

    function updatePodCalls() {
        return updater.calls.filter(function (call) { return call.indexOf("updatePod(") === 0 })
    }

    function compareDialog(d, title, text, icon) {
        verify(d.visible, d.objectName + " open")
        compare(d.title, title)
        compare(d.text, text)
        compare(d.icon, icon)
    }

    // The item below root (root included) for which accept(item) holds, depth first.
    function itemBelow(root, accept) {
        if (accept(root))
            return root
        for (var i = 0; i < root.children.length; ++i) {
            var found = itemBelow(root.children[i], accept)
            if (found)
                return found
        }
        return null
    }

    // The image that the window's message dialogs show for this icon.
    function standardIconSource(icon) {
        var message = createTemporaryQmlObject("import QtQuick.Dialogs 1.2; MessageDialog {}",
                                               testCase)
        message.icon = icon
        var relative = "/" + message.standardIconSource
        var image = itemBelow(message.contentItem, function (item) {
            var source = String(item.source)
            return source.length > relative.length
                    && source.lastIndexOf(relative) === source.length - relative.length
        })
        verify(image, "a message dialog shows " + relative)
        return image.source
    }

    // A report shows the icon as the message dialogs do, and its details only once asked for.
    function verifyReport(d, icon) {
        var image = testCase.findChild(d, "reportIcon")
        compare(image.source, standardIconSource(icon))
        compare(image.status, Image.Ready)
        verify(!d.detailsShown, "details on request")
        var area = testCase.findChild(d, "detailsArea")
        verify(area === null || area.text === "", "hidden details are not laid out")
    }

    function test_noSensorConnected() {
        open(false)
        mouseClick(screen.buttonUpdate)
        compareDialog(dialog("infoDialog"), "No sensor connected", "Please connect a Sensor.",
                      StandardIcon.Critical)
        compare(updatePodCalls(), [])
        verifyIdle()
    }

    function test_noFirmwareChosenThenUnplugged() {
        open(true)
        window.advancedMode = true
        mouseClick(screen.buttonUpdate)
        compareDialog(dialog("infoDialog"), "No firmware chosen",
                      "Please chose a firmware file File->Open, or deactivate Advanced mode to get the latest Terravox update online",
                      StandardIcon.Critical)
        verifyIdle()
        pressIn(dialog("infoDialog"), Qt.Key_Escape)

        // Unplugged: the next poll notices, and the same dialog gets its other text back.
        updater.connected = false
        tryCompare(screen, "podConnected", false, 30000)
        mouseClick(screen.buttonUpdate)
        compareDialog(dialog("infoDialog"), "No sensor connected", "Please connect a Sensor.",
                      StandardIcon.Critical)
        compare(updatePodCalls(), [])
    }

    function test_updateStartsWithPackage_data() {
        return [
            { tag: "normal mode", advanced: false, chosen: "", path: "dl/app.zip" },
            { tag: "advanced mode", advanced: true, chosen: "/home/ann/fw v2.zip",
              path: "/home/ann/fw v2.zip" },
            { tag: "normal mode with a package chosen earlier", advanced: false,
              chosen: "/home/ann/fw.zip", path: "dl/app.zip" },
        ]
    }

    function test_updateStartsWithPackage(data) {
        open(true)
        window.firmwarePath = data.chosen
        window.advancedMode = data.advanced
        mouseClick(screen.buttonUpdate)
        compare(updatePodCalls(), ["updatePod(" + data.path + ")"])
        verifyBusy()
        verify(!shown("infoDialog"))
    }

    // Every way a run ends, in the window's words.
    function test_outcome_data() {
        var error = "Something went wrong during the update process, please try again."
        return [
            { tag: "done", outcome: Updater.Done, dialog: "updateDoneDialog",
              title: "Update done", text: "The update has been completed successfully",
              icon: StandardIcon.Information },
            { tag: "tool failed", outcome: Updater.ToolFailed, dialog: "updateDoneDialog",
              title: "Error on update", text: error, icon: StandardIcon.Critical },
            { tag: "no usable package", outcome: Updater.NoUsablePackage,
              dialog: "updateDoneDialog", title: "Error on update", text: error,
              icon: StandardIcon.Critical },
            { tag: "no bootloader", outcome: Updater.NoBootloaderPort, dialog: "updateDoneDialog",
              title: "Error on update", text: error, icon: StandardIcon.Critical },
            { tag: "tool not started", outcome: Updater.ToolNotStarted,
              dialog: "updateDoneDialog", title: "Error on update", text: error,
              icon: StandardIcon.Critical },
            { tag: "tool stopped", outcome: Updater.ToolStopped, dialog: "updateDoneDialog",
              title: "Error on update", text: error, icon: StandardIcon.Critical },
            { tag: "access denied", outcome: Updater.AccessDenied, dialog: "errorDialog",
              title: "Access denied",
              text: "We couldn't access your sensor. Please disconnect your sensor and make sure it's not open in any chrome tab",
              icon: StandardIcon.Critical },
            { tag: "another program updates", outcome: Updater.UpdateAlreadyRunning,
              dialog: "errorDialog", title: "Update already running",
              text: "Another program on this computer is updating a sensor. Please wait until it has finished.",
              icon: StandardIcon.Critical },
            { tag: "two sensors", outcome: Updater.MoreThanOneSensor, dialog: "errorDialog",
              title: "More than one sensor connected", text: "Please connect only one sensor.",
              icon: StandardIcon.Critical },
            { tag: "no flashing tool", outcome: Updater.NoFlashingTool, dialog: "errorDialog",
              title: "No flashing tool found",
              text: "Please put " + (Qt.platform.os === "windows" ? "util.exe" : "util")
                    + " beside the program or on PATH, then try again.",
              icon: StandardIcon.Critical },
        ]
    }

    function test_outcome(data) {
        open(true)
        mouseClick(screen.buttonUpdate)
        verifyBusy()
        updater.details = "What the flashing tool said last:\nverify failed at 0x8000"
        updater.endRun(data.outcome)
        var d = dialog(data.dialog)
        compareDialog(d, data.title, data.text, data.icon)
        // A failure of the run says what happened; success needs no more words.
        if (data.dialog === "updateDoneDialog") {
            compare(d.details, data.outcome === Updater.Done ? "" : updater.details)
            verifyReport(d, data.icon)
        }
        verifyIdle()
    }

    function test_failureDetailsAreCopied() {
        open(true)
        mouseClick(screen.buttonUpdate)
        updater.details = "What the flashing tool said last:\nverify failed at 0x8000"
        updater.endRun(Updater.ToolFailed)
        var d = dialog("updateDoneDialog")
        testCase.findChild(d, "copyButton").clicked()
        var pasted = createTemporaryQmlObject("import QtQuick 2.9; TextEdit {}", testCase)
        pasted.paste()
        compare(pasted.text, "Error on update\nSomething went wrong during the update process, "
                + "please try again.\n\n" + updater.details)
        // Its buttons are of the kind of the dialog's own OK.
        var ok = itemBelow(d.contentItem, function (item) { return item.text === "OK" })
        verify(ok, "the dialog has its OK")
        var kind = String(ok).split("(")[0]
        compare(String(testCase.findChild(d, "detailsButton")).split("(")[0], kind)
        compare(String(testCase.findChild(d, "copyButton")).split("(")[0], kind)

        testCase.findChild(d, "detailsButton").clicked()
        verify(d.detailsShown)
        var area = testCase.findChild(d, "detailsArea")
        compare(area.text, updater.details)
        // The platform's fixed-width font, which the program gives its documents.
        compare(area.font.family, fixedFont.family)
        var narrow = createTemporaryQmlObject("import QtQuick 2.9; TextMetrics { text: 'iiii' }",
                                              testCase)
        var wide = createTemporaryQmlObject("import QtQuick 2.9; TextMetrics { text: 'WWWW' }",
                                            testCase)
        narrow.font = area.font
        wide.font = area.font
        verify(narrow.advanceWidth > 0)
        compare(narrow.advanceWidth, wide.advanceWidth)
    }

    // The dialog that a run ends with is made before it ends, so that it is on screen at once.
    function test_resultDialogMadeAhead() {
        open(true)
        tryVerify(function () { return testCase.findChild(screen, "updateDoneDialog") !== null },
                  30000)
    }

    // Each step in words, with the bar moving where its progress is known.
    function test_step_data() {
        return [
            { tag: "package on its way", step: Updater.WaitingForPackage, progress: 42,
              text: "Waiting for the firmware package (42 %)", value: 0.42, unplug: false },
            { tag: "restarting", step: Updater.RestartingSensor, progress: -1,
              text: "Restarting the sensor into its bootloader", value: -1, unplug: false },
            { tag: "looking for the bootloader", step: Updater.LookingForBootloader,
              progress: -1, text: "Looking for the bootloader", value: -1, unplug: false },
            { tag: "writing, no percentage yet", step: Updater.WritingFirmware, progress: -1,
              text: "Writing the firmware", value: -1, unplug: true },
            { tag: "writing", step: Updater.WritingFirmware, progress: 45,
              text: "Writing the firmware (45 %)", value: 0.45, unplug: true },
        ]
    }

    function test_step(data) {
        open(true)
        mouseClick(screen.buttonUpdate)
        updater.step = data.step
        updater.progress = data.progress
        compare(screen.stepLine.text, data.text)
        compare(screen.progressBar.indeterminate, data.value < 0)
        if (data.value >= 0)
            compare(screen.progressBar.value, data.value)
        compare(screen.unplugWarning.visible, data.unplug)
        compare(screen.progressBar.Accessible.name, data.text)
        // Once as the step begins, not at each percent.
        compare(announced(), data.text.replace(/ \(.*\)$/, ""))
        updater.endRun(Updater.Done)
        verify(!screen.unplugWarning.visible)
        compare(announced(), "Update done")
    }

    function test_keyboardAndScreenReaders() {
        open(false)
        compare(screen.podState.Accessible.role, Accessible.StatusBar)
        compare(screen.podState.Accessible.name, "No sensor connected")
        updater.connected = true
        tryCompare(screen.podState.Accessible, "name", "Sensor connected", 30000)
        // The button has the keys from the start, and shows it; Tab goes to the logo's link and
        // back, and Space or Enter there opens the website.
        verify(screen.buttonUpdate.activeFocus && screen.buttonUpdate.visualFocus)
        keyClick(Qt.Key_Tab)
        verify(screen.imgMouse.activeFocus)
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Backtab)
        verify(screen.buttonUpdate.visualFocus)
        keyClick(Qt.Key_Backtab)
        keyClick(Qt.Key_Enter)
        compare(updater.openedUrls, ["http://" + Endpoints.webHost, "http://" + Endpoints.webHost])
        keyClick(Qt.Key_Tab)
        // Enter on the focused button, as Space does; its focus shows again after the run.
        keyClick(Qt.Key_Return)
        compare(updatePodCalls(), ["updatePod(dl/app.zip)"])
        compare(screen.buttonUpdate.Accessible.description, "Update in progress...")
        updater.endRun(Updater.Done)
        pressIn(dialog("updateDoneDialog"), Qt.Key_Escape)
        tryVerify(function () { return screen.buttonUpdate.visualFocus }, 30000)
        compare(screen.buttonUpdate.Accessible.description, "")
    }

    function test_busyFollowsRunning() {
        open(true)
        updater.running = true
        verifyBusy()
        updater.running = false
        verifyIdle()
    }

    // Nothing of one run's report is left in the next one's: neither its icon nor its details,
    // shown or not.
    function test_reportAfterReport_data() {
        return [
            { tag: "success after failure", first: Updater.ToolFailed, then: Updater.Done,
              title: "Update done", text: "The update has been completed successfully",
              icon: StandardIcon.Information, details: "" },
            { tag: "failure after failure", first: Updater.ToolFailed, then: Updater.ToolStopped,
              title: "Error on update",
              text: "Something went wrong during the update process, please try again.",
              icon: StandardIcon.Critical, details: "The second run's log" },
        ]
    }

    function test_reportAfterReport(data) {
        open(true)
        mouseClick(screen.buttonUpdate)
        updater.details = "The first run's log"
        updater.endRun(data.first)
        var d = dialog("updateDoneDialog")
        compare(d.icon, StandardIcon.Critical)
        // Enter on the focused button presses it, as Space does, rather than the dialog's OK.
        tryVerify(function () { return d.contentItem.activeFocus }, 3000, "the dialog has the keys")
        testCase.findChild(d, "detailsButton").forceActiveFocus()
        keyClick(Qt.Key_Return)
        verify(d.visible, "still open")
        verify(d.detailsShown)
        d.close()
        mouseClick(screen.buttonUpdate)
        updater.details = data.details
        updater.endRun(data.then)
        compareDialog(d, data.title, data.text, data.icon)
        compare(d.details, data.details)
        verifyReport(d, data.icon)
    }

    function test_usbError_data() {
        return [
            { tag: "access denied", error: -3, name: "LIBUSB_ERROR_ACCESS", dialog: true },
            { tag: "no device", error: -4, name: "LIBUSB_ERROR_NO_DEVICE", dialog: false },
            { tag: "not found", error: 0, name: "LIBUSB_SUCCESS", dialog: false },
        ]
    }

    function test_usbError(data) {
        open(true)
        mouseClick(screen.buttonUpdate)
        verifyBusy()
        updater.usbError(data.error, data.name)
        // Only access denied ends the run, as the updater says right after; any other goes on
        // to its outcome.
        if (data.dialog)
            updater.endRun(Updater.AccessDenied)
        if (data.dialog)
            verifyIdle()
        else
            verifyBusy()
        compare(shown("errorDialog"), data.dialog)
        if (data.dialog)
            compareDialog(dialog("errorDialog"), "Access denied",
                          "We couldn't access your sensor. Please disconnect your sensor and make sure it's not open in any chrome tab",
                          StandardIcon.Critical)
        verify(!shown("updateDoneDialog"))
    }

    function test_updateDoneAfterUsbErrorStillReports() {
        open(true)
        mouseClick(screen.buttonUpdate)
        updater.usbError(0, "LIBUSB_SUCCESS")
        updater.endRun(Updater.Done)
        compareDialog(dialog("updateDoneDialog"), "Update done",
                      "The update has been completed successfully", StandardIcon.Information)
        verifyIdle()
    }

    function test_closeWaitsForTheOutcome_data() {
        return [
            { tag: "sensor being updated", waiting: false },
            // Nothing has touched the sensor yet: the run is withdrawn, and the window closes.
            { tag: "run only waits for its package", waiting: true },
        ]
    }

    function test_closeWaitsForTheOutcome(data) {
        open(true)
        mouseClick(screen.buttonUpdate)
        updater.waitingForPackage = data.waiting
        window.close()
        compare(updater.calls.indexOf("withdrawWaitingRun()") >= 0, data.waiting)
        if (data.waiting) {
            verify(!window.visible, "closed at once")
            verify(!shown("closeDialog"))
            return
        }
        verify(window.visible, "the window stays while the sensor is updated")
        compareDialog(dialog("closeDialog"), "Update in progress",
                      "The sensor is being updated. The window can be closed once the update has finished.",
                      StandardIcon.Warning)
        // Left open, it would go on saying so when the run is over.
        updater.endRun(Updater.Done)
        verify(!dialog("closeDialog").visible, "the explanation closed as the run ended")
        dialog("updateDoneDialog").close() // its OK
        window.close()
        verify(!window.visible, "closed once the update has ended")
    }

    function test_newVersion_data() {
        return [ { tag: "OK downloads", ok: true }, { tag: "Cancel only closes", ok: false },
                 { tag: "Enter is OK", ok: true, key: Qt.Key_Return },
                 { tag: "Escape is Cancel", ok: false, key: Qt.Key_Escape } ]
    }

    function test_newVersion(data) {
        open(true)
        updater.newVersion("0.1", "0.2")
        var d = dialog("newVerDialog")
        compareDialog(d, "New program version available",
                      "A new version of this program is available, press OK to download the last version",
                      StandardIcon.Information)
        compare(d.standardButtons, StandardButton.Ok | StandardButton.Cancel)
        if (data.key)
            pressIn(d, data.key)
        else
            d.click(data.ok ? StandardButton.Ok : StandardButton.Cancel)
        compare(updater.openedUrls, data.ok
                ? ["https://" + Endpoints.helpHost + "/files/terravox/v2/sensor/updater/updater.zip"]
                : [])
        verifyIdle()
    }

    function test_indicatorFollowsPoll() {
        open(true)
        // Connected from the start, but the indicator stays red until the first poll (the look
        // at creation is none), which a slow machine may have reached by now.
        verify(screen.podConnected)
        var polled = updater.pollCount > 1
        verify(Qt.colorEqual(screen.podState.color, polled ? "#28f64b" : "#f20000"))
        verify(Qt.colorEqual(screen.podState.border.color, polled ? "#029402" : "#ac0505"))
        compare(announced(), polled ? "Sensor connected" : "")
        tryVerify(function () { return Qt.colorEqual(screen.podState.color, "#28f64b") }, 30000)
        verify(Qt.colorEqual(screen.podState.border.color, "#029402"))
        compare(announced(), "Sensor connected")

        updater.connected = false
        tryVerify(function () { return Qt.colorEqual(screen.podState.color, "#f20000") }, 30000)
        verify(Qt.colorEqual(screen.podState.border.color, "#ac0505"))
        verify(!screen.podConnected)
        compare(announced(), "No sensor connected")
    }

    function test_pollGoesOnWhileBusy() {
        open(true)
        mouseClick(screen.buttonUpdate)
        var polls = updater.pollCount
        tryVerify(function () { return updater.pollCount >= polls + 2 }, 30000)
        verifyBusy()
    }

    function test_logoOpensHomePage() {
        open(true)
        mouseClick(screen.imgMouse)
        compare(updater.openedUrls, ["http://" + Endpoints.webHost])
        verifyIdle()
        // Outside the band over the logo a click does nothing.
        mouseClick(screen.image, screen.image.width / 2, 30)
        compare(updater.openedUrls.length, 1)
    }
}
