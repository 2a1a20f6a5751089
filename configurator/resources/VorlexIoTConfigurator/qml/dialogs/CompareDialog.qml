import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import AppCore 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// A loaded configuration against the device, before anything is written: a row per element with the
// value on the device, the value in the file and what happens to it. Rows that differ and fit start
// checked; rows the device cannot take say why and cannot be checked; equal rows only with "Show all".
// Apply writes the checked rows (save, apply, read back) and the rows then say how it went.
Dialog {
    id: dialog

    readonly property ComparisonModel rows: CoreModels.comparison

    objectName: "compareDialog"
    title: qsTr("Compare with the file")
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

        Repeater {
            model: dialog.rows.warnings
            delegate: PlainLabel {
                required property string modelData
                objectName: "compareWarning"
                text: "\u26A0 " + modelData
                wrapMode: Text.Wrap
                color: Material.color(Material.Orange, Material.Shade900)
                Layout.fillWidth: true
            }
        }
        PlainLabel {
            objectName: "compareSummary"
            text: qsTr("%1 to write, %2 refused, %3 equal").arg(dialog.rows.checkedCount)
                      .arg(dialog.rows.refusedCount).arg(dialog.rows.equalCount)
            Layout.fillWidth: true
            wrapMode: Text.Wrap
        }
        Switch {
            objectName: "compareShowAll"
            text: qsTr("Show all")
            checked: dialog.rows.showAll
            Accessible.name: text
            onToggled: dialog.rows.showAll = checked
        }
        ListView {
            objectName: "compareList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: VkConstants.kVerticalSpacing
            model: dialog.rows
            ScrollBar.vertical: ScrollBar {}
            delegate: RowLayout {
                id: row

                required property int index
                required property int elementId
                required property string name
                required property string deviceText
                required property string fileText
                required property int status
                required property string statusText
                required property bool checkable
                required property bool checked

                objectName: "compareRow_" + elementId
                width: ListView.view.width
                spacing: VkConstants.kHorizontalSpacing

                CheckBox {
                    objectName: "compareCheck_" + row.elementId
                    checked: row.checked
                    enabled: row.checkable
                    Accessible.name: qsTr("Write %1").arg(row.name)
                    onToggled: dialog.rows.setChecked(row.index, checked)
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 0
                    PlainLabel {
                        text: row.elementId + "  " + row.name
                        font.bold: true
                        elide: Text.ElideRight
                        Layout.fillWidth: true
                    }
                    PlainLabel {
                        objectName: "compareValues_" + row.elementId
                        text: qsTr("device: %1   file: %2").arg(row.deviceText).arg(row.fileText)
                        wrapMode: Text.Wrap
                        Layout.fillWidth: true
                    }
                    PlainLabel {
                        objectName: "compareStatus_" + row.elementId
                        text: row.statusText
                        wrapMode: Text.Wrap
                        // 2 refused, 4 failed: red; 3 written: green.
                        color: row.status === 2 || row.status === 4 ? Material.color(Material.Red)
                             : row.status === 3 ? Material.color(Material.Green) : Material.foreground
                        Layout.fillWidth: true
                    }
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            TButton {
                objectName: "compareApply"
                text: qsTr("Apply")
                enabled: dialog.rows.checkedCount > 0
                Layout.fillWidth: true
                onClicked: dialog.rows.apply()
            }
            TButton {
                objectName: "compareClose"
                text: qsTr("Close")
                Layout.fillWidth: true
                onClicked: dialog.close()
            }
        }
    }
}
