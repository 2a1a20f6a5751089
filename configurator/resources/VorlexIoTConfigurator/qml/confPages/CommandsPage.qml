import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import AppCore 1.0
import VorlexIoTConfigurator

// The device's commands, and below them the program's standard commands for the device.
Page {
    id: page

    property InterfaceLoader interfaceLoader

    objectName: "commandsPage"
    title: qsTr("Commands")

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: VkConstants.kLeftMargin
        spacing: VkConstants.kVerticalSpacing

        ElementListView {
            objectName: "commandsList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            model: page.interfaceLoader.commandsModel
            interfaceLoader: page.interfaceLoader
        }
        FadingBar {
            visible: standardList.count > 0
            Layout.fillWidth: true
            Layout.preferredHeight: VkConstants.kUnderlineWidth
        }
        ListView {
            id: standardList
            objectName: "standardCommandsList"
            visible: count > 0
            interactive: false
            spacing: VkConstants.kVerticalSpacing
            Layout.fillWidth: true
            Layout.preferredHeight: count * (VkConstants.kButtonHeight + spacing)
            model: page.interfaceLoader.standardCommands
            delegate: RowLayout {
                id: command

                required property int cmdId
                required property string name

                width: ListView.view.width
                height: VkConstants.kButtonHeight
                PlainLabel {
                    text: command.name
                    Layout.fillWidth: true
                    wrapMode: Text.Wrap
                }
                RoundButton {
                    objectName: "standardCommand_" + command.cmdId
                    text: ">"
                    Accessible.name: command.name
                    onClicked: AppCore.executeStandardCommand(command.cmdId)
                }
            }
        }
    }
}
