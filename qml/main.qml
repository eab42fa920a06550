// The program's window (placeholder until the update screen lands).
import QtQuick 2.9
import QtQuick.Window 2.2
import QtQuick.Controls 2.4

ApplicationWindow {
    visible: true
    width: 480
    height: 240
    title: qsTr("OVK Sensor Updater")
}
