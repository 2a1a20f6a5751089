import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import AppCore 1.0
import VkFileInfoElement 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// The files of the connected device: read, write or clear each as its permissions allow the user.
Dialog {
    id: dialog

    // The device's files (fileInfo, isRoot), kept by the window.
    property RowListModel files

    objectName: "deviceFilesDialog"
    title: qsTr("Device files")
    header: DialogHeader { text: dialog.title }
    parent: Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    modal: true
    z: 10
    background: Rectangle { color: "white" }

    ColumnLayout {
        anchors.fill: parent
        spacing: VkConstants.kVerticalSpacing

        ListView {
            objectName: "deviceFileList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: VkConstants.kVerticalSpacing
            model: dialog.files
            delegate: RowLayout {
                id: row

                required property VkFileInfoElement fileInfo
                required property bool isRoot
                readonly property int fileId: fileInfo ? fileInfo.fileId : -1

                function permits(permission) {
                    return fileInfo !== null && fileInfo.permits(permission, isRoot)
                }

                objectName: "fileRow_" + fileId
                width: ListView.view.width
                spacing: VkConstants.kHorizontalSpacing

                Rectangle {
                    color: Material.primary
                    radius: 4
                    Layout.preferredWidth: idLabel.implicitWidth + 12
                    Layout.preferredHeight: idLabel.implicitHeight + 6
                    PlainLabel {
                        id: idLabel
                        anchors.centerIn: parent
                        text: String(row.fileId).padStart(3, "0")
                        font.bold: true
                        color: "white"
                    }
                }
                PlainLabel {
                    objectName: "fileName_" + row.fileId
                    text: row.fileInfo ? row.fileInfo.fileName : ""
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                IconButton {
                    objectName: "fileRead_" + row.fileId
                    iconName: "download"
                    enabled: row.permits(row.fileInfo.readPermission)
                    Accessible.name: qsTr("Read file")
                    onClicked: {
                        AppCore.deviceFileCmdToRead(row.fileId)
                        dialog.close()
                    }
                }
                IconButton {
                    objectName: "fileWrite_" + row.fileId
                    iconName: "upload"
                    enabled: row.permits(row.fileInfo.writePermission)
                    Accessible.name: qsTr("Write file")
                    onClicked: {
                        AppCore.deviceFileCmdToWrite(row.fileId)
                        dialog.close()
                    }
                }
                IconButton {
                    objectName: "fileClear_" + row.fileId
                    iconName: "clear"
                    enabled: row.permits(row.fileInfo.clearPermission)
                    Accessible.name: qsTr("Clear file")
                    onClicked: {
                        AppCore.deviceFileCmdToClear(row.fileId)
                        dialog.close()
                    }
                }
            }
        }
        TButton {
            objectName: "deviceFilesCloseButton"
            text: qsTr("Close")
            Layout.fillWidth: true
            onClicked: dialog.close()
        }
    }
}
