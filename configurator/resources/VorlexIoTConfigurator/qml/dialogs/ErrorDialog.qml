import QtQuick
import QtQuick.Controls
import VorlexIoTConfigurator

// Shows the core's errors, warnings and device messages one after another, in the order they came.
Dialog {
    id: dialog

    // Messages waiting while one is shown: { title, text }.
    property var queue: []
    readonly property int pending: queue.length

    function showMessage(title, text) {
        if (visible || reopenTimer.running) {
            queue = queue.concat([{ "title": title, "text": text }])
            return
        }
        dialog.title = title
        message.text = text
        open()
    }

    objectName: "errorDialog"
    title: qsTr("Error")
    header: DialogHeader { objectName: "errorTitle"; text: dialog.title }
    footer: DialogFooter { dialog: dialog; hasCancel: false }
    modal: true
    closePolicy: Popup.CloseOnEscape
    parent: Overlay.overlay
    width: parent ? Math.round(parent.width * 2 / 3) : 300
    // Whole pixels: a dialog at a fractional position draws its rounded corners a pixel off.
    height: Math.ceil(implicitHeight)
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    z: 10
    onClosed: {
        if (queue.length > 0)
            reopenTimer.start()
    }

    PlainLabel {
        id: message
        objectName: "errorText"
        width: dialog.availableWidth
        wrapMode: Text.Wrap
    }
    Timer {
        id: reopenTimer
        interval: 10
        onTriggered: {
            const next = dialog.queue[0]
            dialog.queue = dialog.queue.slice(1)
            dialog.title = next.title
            message.text = next.text
            dialog.open()
        }
    }
}
