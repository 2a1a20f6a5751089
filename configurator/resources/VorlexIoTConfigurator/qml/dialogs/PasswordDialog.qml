import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import AppCore 1.0
import VorlexIoTConfigurator

// Asks for the device's four-digit password.
Dialog {
    id: dialog

    function clearPassword() {
        field.text = ""
    }

    objectName: "passwordDialog"
    title: qsTr("Authorization")
    header: DialogHeader { text: dialog.title }
    footer: DialogFooter { dialog: dialog }
    modal: true
    closePolicy: Popup.CloseOnEscape
    parent: Overlay.overlay
    // Whole pixels: a dialog at a fractional position draws its rounded corners a pixel off.
    width: Math.ceil(implicitWidth)
    height: Math.ceil(implicitHeight)
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    z: 10
    onOpened: field.forceActiveFocus()
    onAccepted: AppCore.passwordEntered(field.text)
    onRejected: AppCore.passwordCancelled()

    ColumnLayout {
        anchors.fill: parent
        spacing: VkConstants.kVerticalSpacing
        PlainLabel { text: qsTr("Please enter the password:") }
        TextField {
            id: field
            objectName: "passwordField"
            Layout.fillWidth: true
            echoMode: TextInput.Password
            placeholderText: qsTr("Password")
            maximumLength: 4
            inputMethodHints: Qt.ImhDigitsOnly
            Accessible.name: qsTr("Password")
            onAccepted: dialog.accept()
        }
    }
}
