import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import AppCore 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// What was written to the connected device, newest first, from this program and from vk-config; it can
// be exported as CSV.
Dialog {
    id: dialog

    objectName: "historyDialog"
    title: qsTr("History of the device")
    header: DialogHeader { text: dialog.title }
    parent: Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    modal: true
    z: 10
    background: Rectangle { color: "white" }
    onAboutToShow: CoreModels.history.reload()

    ColumnLayout {
        anchors.fill: parent
        spacing: VkConstants.kVerticalSpacing

        PlainLabel {
            objectName: "historyEmpty"
            visible: historyList.count === 0
            text: qsTr("Nothing was written to this device from here.")
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        ListView {
            id: historyList
            objectName: "historyList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: VkConstants.kVerticalSpacing * 2
            model: CoreModels.history
            ScrollBar.vertical: ScrollBar {}
            delegate: ColumnLayout {
                id: record

                required property int index
                required property string time
                required property string who
                required property string element
                required property string before
                required property string after
                required property string outcome

                objectName: "historyRow_" + index
                width: ListView.view.width
                spacing: 0
                PlainLabel {
                    text: record.time + "   " + record.who
                    font.pixelSize: 12
                    color: Material.color(Material.Grey, Material.Shade700)
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                }
                PlainLabel {
                    text: record.element
                    font.bold: true
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                }
                PlainLabel {
                    objectName: "historyChange_" + record.index
                    text: record.before + " \u2192 " + record.after + "   (" + record.outcome + ")"
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            TButton {
                objectName: "historyExport"
                text: qsTr("Export CSV…")
                enabled: historyList.count > 0
                Layout.fillWidth: true
                onClicked: exportDialog.open()
            }
            TButton {
                objectName: "historyClose"
                text: qsTr("Close")
                Layout.fillWidth: true
                onClicked: dialog.close()
            }
        }
    }

    FilePicker {
        id: exportDialog
        objectName: "historyExportDialog"
        title: qsTr("Export the history")
        fileMode: FileDialog.SaveFile
        defaultSuffix: "csv"
        nameFilters: [qsTr("CSV files (*.csv)")]
        onPicked: (file) => AppCore.exportHistory(file)
    }
}
