import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import AppCore 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// Firmware files to load into the device: the copies kept by the program (searchable, each to load
// or delete) and those of the firmware server.
Dialog {
    id: dialog

    property LazyDialog confirmDialog

    objectName: "updateFirmwareDialog"
    title: qsTr("Update firmware")
    header: DialogHeader { text: dialog.title }
    parent: Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    modal: true
    z: 10
    background: Rectangle { color: "white" }
    onOpened: {
        if (tabs.currentIndex === 0)
            AppCore.updateFirmwareRefreshLocalFiles()
        else
            tabs.currentIndex = 0
    }

    FilterDelegateModel {
        id: shownLocalFiles
        model: CoreModels.firmwareFiles
        filterText: search.text
        delegate: RowLayout {
            id: row

            required property string name
            required property string version
            required property string date
            required property string path

            width: localList.width
            spacing: VkConstants.kHorizontalSpacing
            ColumnLayout {
                Layout.fillWidth: true
                PlainLabel {
                    text: row.name
                    elide: Text.ElideMiddle
                    Layout.fillWidth: true
                }
                Rectangle {
                    color: Material.primary
                    radius: 4
                    Layout.preferredWidth: dateLabel.implicitWidth + 10
                    Layout.preferredHeight: dateLabel.implicitHeight + 4
                    PlainLabel {
                        id: dateLabel
                        anchors.centerIn: parent
                        text: row.date
                        color: "white"
                        font.pixelSize: 11
                    }
                }
            }
            IconButton {
                iconName: "upload"
                Accessible.name: qsTr("Load %1 into the device").arg(row.name)
                onClicked: {
                    dialog.confirmDialog.make().setFields(row.name, row.version, row.path)
                    dialog.confirmDialog.open()
                }
            }
            IconButton {
                iconName: "delete"
                Accessible.name: qsTr("Delete %1").arg(row.name)
                onClicked: AppCore.removeFirmwareFile(row.path)
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: VkConstants.kVerticalSpacing

        TabBar {
            id: tabs
            Layout.fillWidth: true
            onCurrentIndexChanged: {
                if (currentIndex === 0)
                    AppCore.updateFirmwareRefreshLocalFiles()
                else
                    AppCore.updateFirmwareRefreshServerFiles()
            }
            TabButton { text: qsTr("Local files") }
            TabButton { text: qsTr("Server") }
        }
        StackLayout {
            currentIndex: tabs.currentIndex
            Layout.fillWidth: true
            Layout.fillHeight: true

            ColumnLayout {
                spacing: VkConstants.kVerticalSpacing
                RowLayout {
                    Layout.fillWidth: true
                    PlainLabel { text: qsTr("Search:") }
                    TextField {
                        id: search
                        objectName: "firmwareSearchField"
                        Layout.fillWidth: true
                        inputMethodHints: Qt.ImhNoPredictiveText
                        Accessible.name: qsTr("Search")
                    }
                    IconButton {
                        iconName: "add_file"
                        Accessible.name: qsTr("Add a firmware file")
                        onClicked: addFileDialog.open()
                    }
                }
                ListView {
                    id: localList
                    objectName: "localFirmwareList"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    spacing: VkConstants.kVerticalSpacing
                    model: shownLocalFiles
                }
            }
            ListView {
                objectName: "serverFirmwareList"
                clip: true
                spacing: VkConstants.kVerticalSpacing
                model: CoreModels.firmwareServerFiles
                delegate: RowLayout {
                    id: serverRow

                    required property string name
                    required property string version
                    required property string url

                    width: ListView.view.width
                    spacing: VkConstants.kHorizontalSpacing
                    Rectangle {
                        color: Material.primary
                        radius: 4
                        Layout.preferredWidth: versionLabel.implicitWidth + 10
                        Layout.preferredHeight: versionLabel.implicitHeight + 4
                        PlainLabel {
                            id: versionLabel
                            anchors.centerIn: parent
                            text: "v" + serverRow.version
                            font.bold: true
                            color: "white"
                        }
                    }
                    PlainLabel {
                        text: serverRow.name
                        elide: Text.ElideMiddle
                        Layout.fillWidth: true
                    }
                    // Fetching server files is not settled yet: both buttons have no action.
                    IconButton { iconName: "download"; enabled: false; Accessible.name: qsTr("Download") }
                    IconButton { iconName: "upload"; enabled: false; Accessible.name: qsTr("Load into the device") }
                }
            }
        }
        TButton {
            text: qsTr("Close")
            Layout.fillWidth: true
            onClicked: dialog.reject()
        }
    }

    FileDialog {
        id: addFileDialog
        title: qsTr("Please choose a firmware file")
        nameFilters: [qsTr("BIN Files (*.bin)")]
        fileMode: FileDialog.OpenFile
        onAccepted: AppCore.appCoreProcessFileWithFirmware(selectedFile)
    }

    Connections {
        target: AppCore
        function onAppCoreNeedToSelectFirmwareFile(directory, fileName) {
            addFileDialog.currentFolder = directory
            addFileDialog.selectedFile = fileName
            addFileDialog.open()
        }
    }
}
