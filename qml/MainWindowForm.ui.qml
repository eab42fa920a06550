// The update screen's layout: the update button, the connection indicator, the busy indicator,
// the progress text with the step and its progress bar below it, the warning not to unplug the
// sensor, and the maker's logo. Its behaviour lives in MainWindow.qml.
import QtQuick 2.4
import QtQuick.Controls 2.3

Rectangle {
    id: rectangle
    width: 480
    height: 240
    anchors.fill: parent

    property alias buttonUpdate: buttonUpdate
    property alias image: image
    property alias imgMouse: imgMouse
    property alias busyInd: busyIndicator
    property alias updateText: text1
    property alias podState: podState
    property alias stepLine: stepText
    property alias progressBar: progressBar
    property alias unplugWarning: unplugWarning
    // What the connection indicator says to a screen reader.
    property string podStateName

    RoundButton {
        id: buttonUpdate
        width: 96
        height: 58
        text: qsTr("Update Sensor")
        anchors.horizontalCenterOffset: -137
        anchors.verticalCenterOffset: 0
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.verticalCenter: parent.verticalCenter
        radius: 3
        focus: true
        // Narrow padding and a slightly smaller font keep the whole label inside 96 pixels.
        leftPadding: 4
        rightPadding: 4
        font.pixelSize: 11
        enabled: true
        checkable: false
        // Qt 5 does not tell a screen reader that the button is disabled; while it is, its
        // description says why.
        Accessible.description: text1.visible ? text1.text : ""
    }

    Image {
        id: image
        width: 170
        anchors.top: parent.top
        anchors.topMargin: 8
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 8
        source: "img/OVK_logo.png"
        fillMode: Image.PreserveAspectFit

        MouseArea {
            id: imgMouse
            anchors.fill: parent
            anchors.topMargin: 66
            anchors.bottomMargin: 62
            anchors.leftMargin: 0
            anchors.rightMargin: 0
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            // A link to the maker's website, for the keyboard too (Tab, then Enter or Space).
            activeFocusOnTab: true
            Accessible.role: Accessible.Link
            Accessible.name: qsTr("OVK website")
            // What a screen reader's Press does. A handler of Accessible's pressAction would
            // offer Press a second time beside the one every link has.
            function accessiblePressAction() {
                clicked(null)
            }

            Rectangle {
                anchors.fill: parent
                visible: imgMouse.activeFocus
                color: "transparent"
                border.color: buttonUpdate.palette.highlight
                border.width: 2
                radius: 3
            }
        }
    }

    BusyIndicator {
        id: busyIndicator
        width: 78
        height: 80
        anchors.top: buttonUpdate.top
        anchors.topMargin: -11
        anchors.left: buttonUpdate.right
        anchors.leftMargin: 16
        running: false
        // A picture of what the progress text says, which is read while it is shown.
        Accessible.ignored: true
    }

    Text {
        id: text1
        x: 55
        width: 190
        height: 24
        text: qsTr("Update in progress...")
        anchors.top: buttonUpdate.bottom
        anchors.topMargin: 23
        font.pixelSize: 20
        visible: false
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    // Below the progress text, in space of their own: nothing moves when they appear.
    Text {
        id: stepText
        x: 55
        width: 245
        height: 16
        anchors.top: text1.bottom
        anchors.topMargin: 2
        font.pixelSize: 12
        elide: Text.ElideRight
        visible: false
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    ProgressBar {
        id: progressBar
        x: 55
        width: 190
        height: 6
        anchors.top: stepText.bottom
        anchors.topMargin: 4
        visible: false
        Accessible.name: stepText.text
    }

    Text {
        id: unplugWarning
        x: 13
        anchors.bottom: busyIndicator.top
        anchors.bottomMargin: 6
        text: qsTr("Do not unplug the sensor")
        font.pixelSize: 14
        font.bold: true
        color: "#b00020"
        visible: false
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    Rectangle {
        id: podState
        width: 30
        height: 30
        color: "#f20000"
        radius: 15
        border.color: "#ac0505"
        border.width: 3
        anchors.right: buttonUpdate.left
        anchors.rightMargin: 12
        anchors.top: buttonUpdate.top
        anchors.topMargin: 14
        // The connection in words, where a screen reader looks for a window's state.
        Accessible.role: Accessible.StatusBar
        Accessible.name: rectangle.podStateName
    }
}
