import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// An enumeration: the profile's entries, those marked "#" shown without the mark and not selectable.
ElementDelegate {
    id: delegate

    implicitHeight: layout.implicitHeight + 2 * VkConstants.kTopMargin
    onUpdateRequested: {
        const index = element ? element.data : -1
        box.currentIndex = index >= 0 && index < entries.count ? index : -1
    }

    EnumEntryModel {
        id: entries
        entries: delegate.element ? delegate.element.enumValues : []
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: VkConstants.kLeftMargin
        anchors.rightMargin: VkConstants.kRightMargin
        spacing: VkConstants.kHorizontalSpacing

        ElementName { text: delegate.name }
        ComboBox {
            id: box

            objectName: delegate.element ? "value_" + delegate.element.id : ""
            Layout.preferredWidth: delegate.width * 0.45
            model: entries
            textRole: "text"
            enabled: delegate.editable
            Accessible.name: delegate.name
            delegate: ItemDelegate {
                id: entry

                required property var model
                required property int index

                objectName: "entry_" + index
                width: box.width
                text: model.text
                enabled: model.selectable
                highlighted: box.highlightedIndex === index
                Accessible.name: model.text
                contentItem: PlainLabel {
                    text: entry.text
                    opacity: entry.enabled ? 1 : 0.4
                    font.weight: entry.index === box.currentIndex ? Font.DemiBold : Font.Normal
                    elide: Text.ElideRight
                }
            }
            onActivated: (index) => {
                if (!ElementInput.commitEnum(delegate.element, index))
                    delegate.updateRequested()
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
