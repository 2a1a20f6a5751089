import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import AppCore 1.0
import VorlexIoTConfigurator

// While the core works: the page blurred under a veil, a busy indicator and what is being done; input
// is swallowed. It goes a second after the core is idle, so a chain of jobs shows one overlay.
Popup {
    id: overlay

    property alias text: label.text

    function setBusy(isBusy) {
        if (isBusy) {
            hideTimer.stop()
            open()
        } else {
            hideTimer.start()
        }
    }

    objectName: "busyDialog"
    parent: Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    padding: 0
    modal: true
    dim: false
    closePolicy: Popup.NoAutoClose
    z: 5
    enter: null
    exit: null
    // The window blurs the pages while an overlay is shown; this veils them.
    background: Rectangle { color: "#40FFFFFF" }

    contentItem: Item {
        BusyIndicator {
            id: indicator
            anchors.centerIn: parent
            width: overlay.width / 4
            height: width
            running: overlay.visible
        }
        PlainLabel {
            id: label
            objectName: "busyText"
            anchors.top: indicator.bottom
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
    Timer {
        id: hideTimer
        interval: 1000
        onTriggered: overlay.close()
    }
    Connections {
        target: AppCore
        function onAppCoreBusy(isBusy) {
            overlay.setBusy(isBusy)
        }
        function onAppCoreBusyText(busyText) {
            overlay.text = busyText
        }
    }
}
