import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import AppCore 1.0
import VorlexIoTConfigurator

// The progress of a file transfer over the blurred page; input is swallowed.
Popup {
    id: overlay


    objectName: "progressDialog"
    parent: Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    padding: 0
    modal: true
    dim: false
    closePolicy: Popup.NoAutoClose
    z: 6
    enter: null
    exit: null
    // The window blurs the pages while an overlay is shown; this veils them.
    background: Rectangle { color: "#40FFFFFF" }

    contentItem: Item {
        ProgressBar {
            id: bar
            objectName: "progressBar"
            anchors.centerIn: parent
            width: overlay.width / 2
            height: 30
            from: 0
            to: 1
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
            text: qsTr("Please wait")
        }
    }
    Connections {
        target: AppCore
        function onAppCoreShowProgressDialog(isVisible) {
            if (isVisible)
                overlay.open()
            else
                overlay.close()
        }
        function onAppCoreProgressPercentage(progressPercentage) {
            bar.value = progressPercentage / 100
        }
        function onAppCoreProgressText(progressText) {
            label.text = progressText
        }
    }
}
