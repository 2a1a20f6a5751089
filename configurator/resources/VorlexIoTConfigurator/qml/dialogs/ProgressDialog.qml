import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import AppCore 1.0
import VorlexIoTConfigurator

// The progress of a file transfer over the veiled window (the pages beneath are blurred); mouse
// input is swallowed. Like the busy overlay an item below the dialogs.
Rectangle {
    id: overlay

    readonly property bool opened: visible

    objectName: "progressDialog"
    visible: AppCore.progressVisible
    color: "#40FFFFFF"

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        preventStealing: true
        onWheel: (wheel) => wheel.accepted = true
    }
    ProgressBar {
        id: bar
        objectName: "progressBar"
        anchors.centerIn: parent
        width: overlay.width / 2
        height: 30
        from: 0
        to: 1
        value: AppCore.progressPercent / 100
    }
    PlainLabel {
        id: label
        objectName: "progressText"
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: VkConstants.kLeftMargin * 4
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        color: Material.accent
        font.pixelSize: 16
        text: AppCore.progressText
    }
}
