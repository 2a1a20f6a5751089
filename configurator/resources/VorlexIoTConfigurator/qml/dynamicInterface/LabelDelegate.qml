import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import InterfaceElement 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// Group titles, commands without a value, and values without an editor of their own (bit fields,
// shown read-only). A click on a group title shows or hides the rows listed under it.
ElementDelegate {
    id: delegate

    // The page folds groups (a title then shows whether it is open).
    property bool hierarchical: false
    property bool expanded: true

    readonly property bool isTitle: !isCommand && (!element || element.dataType === InterfaceElement.TNoData)

    function toggleGroup() {
        console.log("LABEL CLICKED", element.nameEn, element.id)
        const wasExpanded = rowModel.isExpanded
        rowModel.isExpanded = !wasExpanded
        if (wasExpanded)
            interfaceLoader.catchLabelHide(element.id)
        else
            interfaceLoader.catchLabelShow(element.id)
    }

    implicitHeight: isTitle ? title.implicitHeight + VkConstants.kButtonHeight / 2
                            : layout.implicitHeight + 2 * VkConstants.kTopMargin
    onUpdateRequested: valueText.text = ElementInput.text(element)

    Item {
        visible: delegate.isTitle
        anchors.fill: parent
        anchors.leftMargin: VkConstants.kLeftMargin
        anchors.rightMargin: VkConstants.kRightMargin

        TitleLabel {
            id: title
            objectName: delegate.element ? "title_" + delegate.element.id : ""
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: underline.top
            text: (delegate.hierarchical ? (delegate.expanded ? "\u25BE " : "\u25B8 ") : "") + delegate.name
            wrapMode: Text.Wrap
            Accessible.role: Accessible.Button
            Accessible.name: delegate.name
            MouseArea {
                anchors.fill: parent
                onClicked: delegate.toggleGroup()
            }
        }
        FadingBar {
            id: underline
            anchors.left: parent.left
            anchors.bottom: parent.bottom
            anchors.bottomMargin: VkConstants.kVerticalSpacing
            width: title.contentWidth * 2 / 3
            height: VkConstants.kUnderlineWidth
        }
    }

    RowLayout {
        id: layout
        visible: !delegate.isTitle
        anchors.fill: parent
        anchors.leftMargin: VkConstants.kLeftMargin
        anchors.rightMargin: VkConstants.kRightMargin
        spacing: VkConstants.kHorizontalSpacing

        ElementName {
            objectName: delegate.element ? "name_" + delegate.element.id : ""
            text: delegate.name
        }
        PlainLabel {
            id: valueText
            objectName: delegate.element ? "value_" + delegate.element.id : ""
            visible: !delegate.isCommand
            font.family: "monospace"
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
