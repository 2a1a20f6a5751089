import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// A number: shown divided by the multiplier, clamped to the element's limits when committed.
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
            Layout.preferredWidth: delegate.width * 0.35
            editable: delegate.editable
            horizontalAlignment: TextInput.AlignRight
            inputMethodHints: Qt.ImhDialableCharactersOnly
            validator: ElementInput.validatorFor(delegate.element)
            color: edited ? Material.accent : Material.foreground
            Accessible.name: delegate.name
            onTextEdited: edited = true
            onEditingFinished: {
                if (!edited)
                    return
                text = ElementInput.commit(delegate.element, text)
                edited = false
            }
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
