// The main window: fixed size, menus (by keyboard too), Advanced mode with its file dialog, and
// the online calls.
import QtQuick 2.9
import QtTest 1.2
import QtQuick.Window 2.2
import "WindowHelper.js" as Helper
import "qrc:/Endpoints.js" as Endpoints

TestCase {
    id: testCase
    name: "MainWindow"
    when: windowShown

    property var window: null

    function open(connected) {
        updater.reset()
        updater.connected = connected
        window = Helper.createWindow(testCase)
    }

    function menu(index) {
        return window.menuBar.menuAt(index)
    }

    function advancedAction() {
        return menu(1).actionAt(0)
    }

    function fileDialog() {
        return Helper.find(testCase, window, "fileDialog")
    }

    // Accepts the open file dialog with this file, as a user picking it would.
    function choose(url) {
        var d = fileDialog()
        verify(d.visible, "file dialog open")
        d.clearSelection()
        verify(d.addSelection(url))
        d.accept()
    }

    function test_onlineCallsOnceInOrder() {
        open(false)
        compare(updater.calls, ["checkProgramVersion()", "downloadLastPodVersion()"])
        wait(50)
        compare(updater.calls.length, 2)
    }

    function test_windowIsFixed() {
        open(false)
        compare(window.title, "OVK Sensor Updater")
        compare(window.width, 480)
        compare(window.contentItem.height, 224)
        compare(window.minimumWidth, 480)
        compare(window.maximumWidth, 480)
        compare(window.minimumHeight, window.height)
        compare(window.maximumHeight, window.height)
    }

    function test_menus() {
        open(false)
        compare(window.menuBar.count, 3)
        compare(menu(0).title, "&File")
        compare(menu(0).actionAt(0).text, "&Open")
        compare(menu(1).title, "&Settings")
        compare(advancedAction().text, "&Advanced mode")
        verify(advancedAction().checkable)
        verify(!advancedAction().checked)
        compare(menu(2).title, "&Help")
        compare(menu(2).actionAt(0).text, "&Usage")
        compare(menu(2).actionAt(1).text, "&About")
        compare(menu(2).actionAt(2).text, "Update &history")
        compare(menu(2).actionAt(3).text, "Open &log folder")
    }

    function test_fileMenuFollowsAdvancedMode() {
        open(false)
        verify(!window.advancedMode)
        verify(!menu(0).enabled)
        verify(!window.menuBar.itemAt(0).enabled, "the bar shows File disabled")
        verify(window.menuBar.itemAt(1).enabled)

        advancedAction().trigger()
        verify(window.advancedMode)
        verify(menu(0).enabled)
        verify(window.menuBar.itemAt(0).enabled)
        verify(fileDialog().visible, "checking Advanced mode opens the dialog")
        fileDialog().reject()
        verify(window.advancedMode, "cancelling keeps Advanced mode on")
        compare(window.firmwarePath, "")

        advancedAction().trigger()
        verify(!window.advancedMode)
        verify(!menu(0).enabled)
        verify(!window.menuBar.itemAt(0).enabled, "the bar shows File disabled")
        verify(window.menuBar.itemAt(1).enabled)
        verify(!fileDialog().visible, "unchecking opens nothing")
    }

    function test_fileDialog() {
        open(false)
        verify(!testCase.findChild(window, "fileDialog"), "made only when first opened")
        advancedAction().trigger()
        var d = fileDialog()
        verify(d.visible)
        compare(d.title, "Please choose a firmware file")
        compare(d.nameFilters, ["OVK Sensor update file (*.zip)", "All files (*)"])
        compare(d.selectedNameFilter, "OVK Sensor update file (*.zip)")
        compare(d.folder, d.shortcuts.home)
        verify(d.selectExisting)
        verify(!d.selectMultiple)
        verify(!d.selectFolder)
        d.reject()
    }

    function test_chosenPackageSurvivesModeChanges() {
        open(true)
        var chosen = Qt.resolvedUrl("tst_mainwindow.qml")
        advancedAction().trigger()
        choose(chosen)
        compare(updater.calls[2], "handleFileChosen(" + chosen + ")")
        var path = updater.handleFileChosen(chosen)
        compare(window.firmwarePath, path)

        advancedAction().trigger() // off: the path stays
        compare(window.firmwarePath, path)
        advancedAction().trigger() // on again: the dialog opens; cancel it
        fileDialog().reject()
        compare(window.firmwarePath, path)

        var screen = Helper.find(testCase, window, "mainWindow")
        mouseClick(screen.buttonUpdate)
        compare(updater.calls[updater.calls.length - 1], "updatePod(" + path + ")")
    }

    function test_openReplacesPackage() {
        open(false)
        advancedAction().trigger()
        choose(Qt.resolvedUrl("tst_mainwindow.qml"))
        menu(0).actionAt(0).trigger()
        var other = Qt.resolvedUrl("tst_layout.qml")
        choose(other)
        compare(window.firmwarePath, updater.handleFileChosen(other))
    }

    // The menus from the keyboard alone: an Alt letter opens one on its first entry, which has
    // the keys (a screen reader reads it), and Enter takes it; the file dialog then takes a path
    // typed into its path field.
    function test_menusByKeyboard_data() {
        return [
            { tag: "Alt+S, Advanced mode", advanced: false, letter: Qt.Key_S, menu: 1 },
            { tag: "Alt+H, Usage", advanced: false, letter: Qt.Key_H, menu: 2,
              url: "http://" + Endpoints.helpHost },
            { tag: "Alt+F while File is off", advanced: false, letter: Qt.Key_F, menu: -1 },
            { tag: "Alt+F, Open", advanced: true, letter: Qt.Key_F, menu: 0 },
        ]
    }

    function test_menusByKeyboard(data) {
        open(false)
        window.advancedMode = data.advanced
        keyClick(data.letter, Qt.AltModifier)
        for (var i = 0; i < 3; ++i)
            compare(menu(i).visible, i === data.menu, "menu " + i + " open")
        if (data.menu < 0)
            return
        compare(menu(data.menu).currentIndex, 0)
        verify(menu(data.menu).itemAt(0).activeFocus, "the first entry has the keys")
        keyClick(Qt.Key_Return)
        verify(!menu(data.menu).visible)
        if (data.url) {
            compare(updater.openedUrls, [data.url])
            return
        }
        verify(window.advancedMode)
        var d = fileDialog()
        var keys = d.contentItem.Window.window
        tryVerify(function () { return keys.active }, 3000, "the file dialog has the keys")
        var field = null
        for (var tab = 0; tab < 10 && !field; ++tab) {
            keyClick(Qt.Key_Tab)
            if (String(keys.activeFocusItem.text).indexOf("/") >= 0)
                field = keys.activeFocusItem
        }
        verify(field, "Tab reaches the path field")
        // Typed again if the dialog, still reading its folder, put the folder's path back.
        var chosen = Qt.resolvedUrl("tst_layout.qml")
        var path = chosen.toString().replace("file://", "")
        for (var attempt = 0; attempt < 3 && d.visible; ++attempt) {
            keyClick(Qt.Key_A, Qt.ControlModifier)
            for (var c = 0; c < path.length; ++c)
                keyClick(path[c])
            keyClick(Qt.Key_Return)
        }
        verify(!d.visible)
        compare(window.firmwarePath, updater.handleFileChosen(chosen))
    }

    // Opened under the pointer, a menu starts on no entry (hover as on a desktop: offscreen has
    // none).
    function test_menuByPointer() {
        open(false)
        var bar = window.menuBar.itemAt(1)
        bar.hoverEnabled = true
        mouseMove(bar, bar.width / 2, bar.height / 2)
        mouseClick(bar)
        verify(menu(1).visible)
        compare(menu(1).currentIndex, -1)
        keyClick(Qt.Key_Escape)
    }

    function test_helpMenuOpensPages_data() {
        return [
            { tag: "Usage", index: 0, url: "http://" + Endpoints.helpHost },
            { tag: "About", index: 1, url: "https://" + Endpoints.webHost + "/about-us/" },
            { tag: "Open log folder", index: 3, url: updater.logFolder.toString() },
        ]
    }

    function test_helpMenuOpensPages(data) {
        open(false)
        menu(2).actionAt(data.index).trigger()
        compare(updater.openedUrls, [data.url])
    }

    // Listed at once, newest first, every time: also after its list was hidden, and as the
    // history is now.
    function test_historyIsListed() {
        open(false)
        var runs = ["When  Program  Sensor", "2026-12-08 12:03:04  Updater 0.1  TVX2024A0001"]
        for (var opening = 0; opening < 2; ++opening) {
            updater.history = runs.join("\n")
            menu(2).actionAt(2).trigger()
            var d = Helper.find(testCase, window, "historyDialog")
            verify(d.visible)
            compare(d.title, "Update history")
            compare(d.text, "Every update started by this user on this computer, newest first:")
            compare(d.details, updater.history)
            verify(d.detailsShown, "the list is shown at once")
            compare(Helper.find(testCase, d, "detailsArea").text, updater.history)
            Helper.find(testCase, d, "detailsButton").clicked()
            verify(!d.detailsShown)
            d.close()
            runs.splice(1, 0, "2026-12-09 08:00:00  Updater 0.1  TVX2024A0002")
        }
    }
}
