// The update screen's geometry in the fixed window: 480 wide, the screen 224 high.
import QtQuick 2.9
import QtTest 1.2
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

    // The item's rectangle in the form's coordinates.
    function box(item) {
        var topLeft = item.mapToItem(screen, 0, 0)
        return { left: topLeft.x, top: topLeft.y, right: topLeft.x + item.width,
                 bottom: topLeft.y + item.height, centerY: topLeft.y + item.height / 2 }
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
