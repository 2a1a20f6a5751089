import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Dialogs
import AppCore 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// The buttons under the settings and personalization lists: Get and Save, and a menu to save the
// device's configuration to a file or to load one and compare it before writing.
RowLayout {
    id: bar

    property string name
    // The element kind the page shows (what Load from file compares).
    property int kind
    signal getClicked()
    signal saveClicked()

    spacing: VkConstants.kHorizontalSpacing
    TButton {
        objectName: "get" + bar.name + "Button"
        text: qsTr("Get")
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        onClicked: bar.getClicked()
    }
    TButton {
        objectName: "save" + bar.name + "Button"
        text: qsTr("Save")
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        onClicked: bar.saveClicked()
    }
    TButton {
        objectName: bar.name.toLowerCase() + "FileButton"
        text: "\u22EE"
        Accessible.name: qsTr("File")
        onClicked: fileMenu.open()

        Menu {
            id: fileMenu

            // The file dialog a menu entry asked for, opened once the menu has gone (a dialog opened
            // while the menu closes is closed with it).
            property var chosen: null

            objectName: bar.name.toLowerCase() + "FileMenu"
            onClosed: {
                if (chosen)
                    chosen.open()
                chosen = null
            }
            MenuItem {
                objectName: bar.name.toLowerCase() + "SaveToFile"
                text: qsTr("Save to file…")
                Accessible.name: text
                onTriggered: fileMenu.chosen = saveDialog
            }
            MenuItem {
                objectName: bar.name.toLowerCase() + "LoadFromFile"
                text: qsTr("Load from file…")
                Accessible.name: text
                onTriggered: fileMenu.chosen = loadDialog
            }
        }
    }

    FilePicker {
        id: saveDialog
        objectName: bar.name.toLowerCase() + "SaveFileDialog"
        title: qsTr("Save the device's configuration")
        fileMode: FileDialog.SaveFile
        defaultSuffix: "json"
        nameFilters: [qsTr("Configuration documents (*.json)")]
        onPicked: (file) => AppCore.saveConfigurationFile(file)
    }
    FilePicker {
        id: loadDialog
        objectName: bar.name.toLowerCase() + "LoadFileDialog"
        title: qsTr("Load a configuration to compare")
        fileMode: FileDialog.OpenFile
        nameFilters: [qsTr("Configuration documents (*.json)")]
        onPicked: (file) => AppCore.loadConfigurationFile(file, bar.kind)
    }
}
