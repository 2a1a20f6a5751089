import QtQuick
import QtQuick.Controls
import AppCore 1.0
import VorlexIoTConfigurator

// Asks whether a firmware file is to be loaded into the device now.
Dialog {
    id: dialog

    property string path

    // The update was started from this dialog.
    signal updateStarted()

    function setFields(name, version, filePath) {
        path = filePath
        const file = version.length > 0 ? qsTr("Selected file [%1] version %2").arg(filePath).arg(version)
                                        : qsTr("Selected file [%1]").arg(filePath)
        question.text = qsTr("%1. Start to firmware update?").arg(file)
    }

    objectName: "firmwareConfirmDialog"
    title: qsTr("Start firmware update?")
    header: DialogHeader { text: dialog.title }
    footer: DialogFooter { dialog: dialog }
    modal: true
    parent: Overlay.overlay
    width: parent ? Math.round(parent.width * 4 / 5) : 320
    // Whole pixels: a dialog at a fractional position draws its rounded corners a pixel off.
    height: Math.ceil(implicitHeight)
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    z: 11
    onAccepted: {
        AppCore.updateFirmwareFileSelected(path)
        updateStarted()
    }

    PlainLabel {
        id: question
        objectName: "firmwareQuestion"
        width: dialog.availableWidth
        wrapMode: Text.WrapAnywhere
    }
}
