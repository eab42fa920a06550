// The update screen's layout: the update button, the connection indicator, the busy indicator,
// the progress text and the maker's logo. Its behaviour lives in MainWindow.qml.
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
        // Narrow padding and a slightly smaller font keep the whole label inside 96 pixels.
        leftPadding: 4
        rightPadding: 4
        font.pixelSize: 11
        enabled: true
        checkable: false
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
    }
}
