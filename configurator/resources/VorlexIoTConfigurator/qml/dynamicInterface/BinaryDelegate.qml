import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// An on/off value: a switch, or a disabled radio button showing the state when it may not be changed.
ElementDelegate {
    id: delegate

    implicitHeight: layout.implicitHeight + 2 * VkConstants.kTopMargin
    onUpdateRequested: {
        const on = element ? element.data !== 0 : false
        toggle.checked = on
        indicator.checked = on
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: VkConstants.kLeftMargin
        anchors.rightMargin: VkConstants.kRightMargin
        spacing: VkConstants.kHorizontalSpacing

        ElementName { text: delegate.name }
        Switch {
            id: toggle
            objectName: delegate.element ? "value_" + delegate.element.id : ""
            visible: delegate.editable
            Accessible.name: delegate.name
            onToggled: ElementInput.commitBinary(delegate.element, checked)
        }
        RadioButton {
            id: indicator
            objectName: delegate.element ? "state_" + delegate.element.id : ""
            visible: !delegate.editable
            enabled: false
            autoExclusive: false
            Accessible.name: delegate.name
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
