// The update screen's geometry in the fixed window: 480 wide, the screen 224 high; in every
// language.
import QtQuick 2.9
import QtTest 1.2
import OVK 1.0
import "WindowHelper.js" as Helper

TestCase {
    id: testCase
    name: "Layout"
    when: windowShown

    property var window: null
    property var screen: null

    function init() {
        updater.reset()
        window = Helper.createWindow(testCase)
        screen = Helper.find(testCase, window, "mainWindow")
    }

    function cleanup() {
        testLanguage.use("")
    }

    // The item's rectangle in the form's coordinates.
    function box(item) {
        var topLeft = item.mapToItem(screen, 0, 0)
        return { left: topLeft.x, top: topLeft.y, right: topLeft.x + item.width,
                 bottom: topLeft.y + item.height, centerY: topLeft.y + item.height / 2 }
    }

    // Where a text item's words are drawn: one line, which may run past its item's right edge.
    // (Its height is the item's: a font's own line height can be far more, as under Wine.)
    function drawn(text) {
        var b = box(text)
        b.right = b.left + text.contentWidth
        return b
    }

    function overlap(a, b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom
    }

    // A control's label is whole within the control, its padding left.
    function verifyLabelFits(control) {
        verify(control.contentItem.implicitWidth <= control.contentItem.width,
               "'" + control.text + "' needs " + control.contentItem.implicitWidth + " of "
               + control.contentItem.width)
    }

    // Each text shown is drawn whole, inside the screen and over no other item.
    function verifyScreenTextsFit() {
        var texts = ["updateText", "stepLine", "unplugWarning"]
        var items = ["podState", "buttonUpdate", "busyInd", "progressBar", "image"].concat(texts)
        verifyLabelFits(screen.buttonUpdate)
        for (var i = 0; i < texts.length; ++i) {
            var text = screen[texts[i]]
            if (!text.visible)
                continue
            var words = drawn(text)
            verify(!text.truncated, "'" + text.text + "' is cut off")
            verify(words.left >= 0 && words.top >= 0 && words.right <= screen.width
                   && words.bottom <= screen.height,
                   "'" + text.text + "' leaves the screen: " + JSON.stringify(words))
            for (var j = 0; j < items.length; ++j) {
                var other = screen[items[j]]
                if (other === text || !other.visible)
                    continue
                var area = texts.indexOf(items[j]) >= 0 ? drawn(other) : box(other)
                verify(!overlap(words, area), "'" + text.text + "' runs into " + items[j])
            }
        }
    }

    function verifyMenusFit() {
        var bar = window.menuBar
        verify(bar.itemAt(bar.count - 1).x + bar.itemAt(bar.count - 1).width <= window.width,
               "the menu bar is wider than the window")
        for (var i = 0; i < bar.count; ++i) {
            verifyLabelFits(bar.itemAt(i))
            var menu = bar.menuAt(i)
            menu.open()
            tryCompare(menu, "opened", true)
            verify(menu.x + menu.width <= window.width, menu.title + " leaves the window")
            for (var j = 0; j < menu.count; ++j)
                verifyLabelFits(menu.itemAt(j))
            menu.close()
            tryCompare(menu, "visible", false)
        }
    }

    // Every text of the window in its place at the window's size, idle and at every step with
    // the longest progress, in each language besides English (whose texts the layout was made
    // for).
    function test_translationsFit_data() {
        return [ { tag: "German", language: "de" }, { tag: "French", language: "fr" },
                 { tag: "Spanish", language: "es" } ]
    }

    function test_translationsFit(data) {
        testLanguage.use(data.language)
        window = Helper.createWindow(testCase)
        screen = Helper.find(testCase, window, "mainWindow")
        verify(screen.buttonUpdate.text !== "Update Sensor", "the catalog is in use")
        verifyScreenTextsFit()
        verifyMenusFit()
        updater.updatePod("dl/app.zip")
        // The download's and the tool's progress, at its widest.
        var steps = [[Updater.WaitingForPackage, 100], [Updater.RestartingSensor, -1],
                     [Updater.LookingForBootloader, -1], [Updater.WritingFirmware, 100],
                     [Updater.WaitingForTool, -1]]
        for (var i = 0; i < steps.length; ++i) {
            updater.step = steps[i][0]
            updater.progress = steps[i][1]
            verify(screen.stepLine.visible && screen.stepLine.text !== "")
            verify(screen.unplugWarning.visible === (steps[i][0] === Updater.WritingFirmware))
            verifyScreenTextsFit()
        }
    }

    function test_formFillsContent() {
        compare(screen.width, 480)
        compare(screen.height, window.contentItem.height)
        compare(screen.height, 224)
    }

    function test_horizontalPlacement_data() {
        return [
            { tag: "indicator", item: "podState", left: 13, right: 43 },
            { tag: "button", item: "buttonUpdate", left: 55, right: 151 },
            { tag: "busy indicator", item: "busyInd", left: 167, right: 245 },
            { tag: "progress text", item: "updateText", left: 55, right: 245 },
            { tag: "step", item: "stepLine", left: 55, right: 300 },
            { tag: "progress bar", item: "progressBar", left: 55, right: 245 },
            { tag: "logo", item: "image", left: 302, right: 472 },
        ]
    }

    function test_horizontalPlacement(data) {
        var b = box(screen[data.item])
        compare(b.left, data.left)
        compare(b.right, data.right)
    }

    function test_oneCentreLine() {
        var centre = screen.height / 2
        compare(box(screen.buttonUpdate).centerY, centre)
        compare(box(screen.podState).centerY, centre)
        compare(box(screen.busyInd).centerY, centre)
        compare(box(screen.updateText).top, box(screen.buttonUpdate).bottom + 23)
    }

    // Step and bar below the progress text, inside the form, clear of the logo; they appear
    // where they always were.
    function test_stepBelowProgressText() {
        var step = box(screen.stepLine)
        var bar = box(screen.progressBar)
        verify(step.top >= box(screen.updateText).bottom, "step below the progress text")
        verify(bar.top >= step.bottom, "bar below the step")
        verify(bar.bottom <= screen.height - 4,
               "bar inside the form: " + bar.bottom + " of " + screen.height)
        verify(box(screen.unplugWarning).bottom <= box(screen.busyInd).top, "warning above")
        updater.updatePod("dl/app.zip")
        compare(box(screen.stepLine), step)
        compare(box(screen.progressBar), bar)
    }

    function test_logoAndItsBand() {
        var logo = box(screen.image)
        compare(logo.top, 8)
        compare(logo.bottom, screen.height - 8)
        compare(screen.image.status, Image.Ready)
        compare(screen.image.sourceSize, Qt.size(473, 216))
        compare(screen.image.fillMode, Image.PreserveAspectFit)
        var band = box(screen.imgMouse)
        compare(band.left, 302)
        compare(band.right, 472)
        compare(band.top, logo.top + 66)
        compare(band.bottom, logo.bottom - 62)
        compare(screen.imgMouse.cursorShape, Qt.PointingHandCursor)
        verify(screen.imgMouse.hoverEnabled)
    }

    function test_initialLook() {
        compare(screen.buttonUpdate.text, "Update Sensor")
        compare(screen.buttonUpdate.radius, 3)
        verify(!screen.buttonUpdate.checkable)
        compare(screen.updateText.text, "Update in progress...")
        compare(screen.updateText.font.pixelSize, 20)
        compare(screen.podState.radius, 15)
        compare(screen.podState.border.width, 3)
    }
}
