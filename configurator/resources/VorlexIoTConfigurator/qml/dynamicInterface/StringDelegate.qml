import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// A text or hexadecimal value: as many characters as the element's bytes hold, hex digits only for
// hexadecimal elements, the profile's pattern for texts.
ElementDelegate {
    id: delegate

    implicitHeight: layout.implicitHeight + 2 * VkConstants.kTopMargin
    onUpdateRequested: {
        field.text = ElementInput.text(element)
        field.edited = false
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: VkConstants.kLeftMargin
        anchors.rightMargin: VkConstants.kRightMargin
        spacing: VkConstants.kHorizontalSpacing

        ElementName { text: delegate.name }
        ValueField {
            id: field

            property bool edited: false

            objectName: delegate.element ? "value_" + delegate.element.id : ""
            Layout.preferredWidth: delegate.width * 0.5
            editable: delegate.editable
            horizontalAlignment: TextInput.AlignLeft
            wrapMode: TextInput.WrapAnywhere
            inputMethodHints: Qt.ImhNoPredictiveText | Qt.ImhNoAutoUppercase
            maximumLength: ElementInput.maximumLength(delegate.element)
            validator: ElementInput.validatorFor(delegate.element)
            color: edited ? Material.accent : Material.foreground
            secret: ElementInput.isSecret(delegate.element, delegate.isApplication)
            revealed: revealButton.checked
            Accessible.name: delegate.name
            onTextEdited: edited = true
            onEditingFinished: {
                if (!edited)
                    return
                text = ElementInput.commit(delegate.element, text)
                edited = false
            }
        }
        IconButton {
            id: revealButton
            objectName: delegate.element ? "reveal_" + delegate.element.id : ""
            visible: field.secret
            checkable: true
            iconName: checked ? "conceal" : "reveal"
            Accessible.name: checked ? qsTr("Hide %1").arg(delegate.name) : qsTr("Show %1").arg(delegate.name)
        }
        CommandButton {
            visible: delegate.isCommand
            rowWidth: delegate.width
            objectName: delegate.element ? "command_" + delegate.element.id : ""
            Accessible.name: qsTr("Run %1").arg(delegate.name)
            onClicked: delegate.runCommand()
        }
    }
}
