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

    objectName: "busyDialog"
    // Shown at once, hidden a second after the core is idle again (a new job meanwhile keeps it).
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
        text: AppCore.busyText
    }
    Timer {
        id: hideTimer
        interval: 1000
        onTriggered: overlay.visible = false
    }
    Connections {
        target: AppCore
        function onBusyChanged() {
            if (AppCore.busy) {
                hideTimer.stop()
                overlay.visible = true
            } else {
                hideTimer.restart()
            }
        }
    }
    Component.onCompleted: visible = AppCore.busy
}
