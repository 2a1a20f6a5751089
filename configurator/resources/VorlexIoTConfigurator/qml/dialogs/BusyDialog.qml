import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import AppCore 1.0
import VorlexIoTConfigurator

// While the core works: a veil over the window (the window blurs the pages beneath), a busy
// indicator and what is being done; mouse input is swallowed. It is an item of the window, below the
// dialogs, so a question or an error shown meanwhile can be answered. It goes a second after the
// core is idle, so a chain of jobs shows one overlay.
Rectangle {
    id: overlay

    readonly property bool opened: visible
    property alias text: label.text

    function setBusy(isBusy) {
        if (isBusy) {
            hideTimer.stop()
            visible = true
        } else {
            hideTimer.start()
        }
    }

    objectName: "busyDialog"
    visible: false
    color: "#40FFFFFF"

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        preventStealing: true
        onWheel: (wheel) => wheel.accepted = true
    }
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
    Timer {
        id: hideTimer
        interval: 1000
        onTriggered: overlay.visible = false
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
