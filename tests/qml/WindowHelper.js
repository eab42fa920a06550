// Shared by the QML tests: builds the program's window from its resource bundle.
.pragma library

// Creates qrc:/main.qml as a temporary object of testCase (destroyed after the test function).
function createWindow(testCase) {
    var component = Qt.createComponent("qrc:/main.qml")
    if (component.status !== 1) // Component.Ready
        testCase.fail(component.errorString())
    var window = testCase.createTemporaryObject(component, testCase)
    testCase.verify(window, "main.qml yields a window")
    testCase.waitForRendering(window.contentItem)
    return window
}

// The dialog or item with this objectName inside the window.
function find(testCase, window, name) {
    var found = testCase.findChild(window, name)
    testCase.verify(found, "found " + name)
    return found
}
