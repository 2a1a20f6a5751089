import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// A time (seconds since 1970), shown in local time.
ElementDelegate {
    id: delegate

    implicitHeight: layout.implicitHeight + 2 * VkConstants.kTopMargin
    onUpdateRequested: field.text = ElementInput.text(element)

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: VkConstants.kLeftMargin
        anchors.rightMargin: VkConstants.kRightMargin
        spacing: VkConstants.kHorizontalSpacing

        ElementName { text: delegate.name }
        ValueField {
            id: field
            objectName: delegate.element ? "value_" + delegate.element.id : ""
            Layout.preferredWidth: delegate.width * 0.45
            editable: false
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
