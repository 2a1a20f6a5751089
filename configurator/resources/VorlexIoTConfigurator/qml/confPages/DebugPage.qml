import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import AppCore 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// The debug console: everything the core and the device report, one list row per line, with
// auto-scroll, line selection and copying; the state copy, clearing, and the firmware update.
Page {
    id: page

    property DebugLineModel lines
    // Opened by "Update firmware" where there is no plain file dialog (Android).
    property LazyDialog updateFirmwareDialog

    objectName: "debugPage"
    title: qsTr("Debug")

    function followEnd() {
        if (autoScroll.checked && debugView.contentHeight > debugView.height)
            debugView.positionViewAtEnd()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: VkConstants.kLeftMargin
        spacing: VkConstants.kVerticalSpacing

        RowLayout {
            Layout.fillWidth: true
            spacing: VkConstants.kHorizontalSpacing
            Switch {
                id: autoScroll
                objectName: "autoScrollSwitch"
                text: qsTr("Auto scroll to the end")
                checked: true
                Layout.fillWidth: true
                Accessible.name: text
                onToggled: page.followEnd()
            }
            ToolButton {
                objectName: "copyButton"
                text: page.lines && page.lines.hasSelection ? qsTr("Copy lines") : qsTr("Copy all")
                Accessible.name: text
                onClicked: page.lines.copyToClipboard()
            }
            IconButton {
                objectName: "stateCopyButton"
                iconName: "share"
                Accessible.name: qsTr("Make state copy")
                onClicked: AppCore.makeStateCopyClicked()
            }
            IconButton {
                objectName: "clearDebugButton"
                iconName: "clear"
                Accessible.name: qsTr("Clear debug output")
                onClicked: AppCore.clearDebugTextClicked()
            }
        }
        ListView {
            id: debugView

            objectName: "debugList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: page.lines
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { id: debugScroll; policy: ScrollBar.AlwaysOn }
            // Rows are measured as they are made: the end moves on after the count has changed.
            onContentHeightChanged: page.followEnd()
            delegate: PlainLabel {
                id: row

                required property int index
                required property string line
                required property bool selected

                width: ListView.view.width - debugScroll.width - VkConstants.kRightMargin
                text: row.line
                wrapMode: Text.WrapAnywhere
                font.family: "monospace"
                font.pixelSize: Math.round((ApplicationWindow.window ? ApplicationWindow.window.font.pixelSize : 14) * 0.85)
                background: Rectangle { color: row.selected ? Qt.lighter(Material.accent, 1.6) : "transparent" }
                MouseArea {
                    anchors.fill: parent
                    onClicked: (mouse) => page.lines.select(row.index, mouse.modifiers & Qt.ShiftModifier)
                }
            }
        }
        TButton {
            objectName: "updateFirmwareButton"
            text: qsTr("Update firmware")
            visible: Qt.platform.os !== "ios"
            Layout.fillWidth: true
            onClicked: {
                if (Qt.platform.os === "android")
                    page.updateFirmwareDialog.open()
                else
                    firmwareFileDialog.open()
            }
        }
    }

    Connections {
        target: page.lines
        function onCountChanged() {
            Qt.callLater(page.followEnd)
        }
    }
    Connections {
        target: AppCore
        function onAppSaveStateCopyFile(path, file) {
            stateCopyDialog.sourcePath = path
            stateCopyDialog.selectedFile = file
            stateCopyDialog.open()
        }
    }

    FileDialog {
        id: firmwareFileDialog
        objectName: "firmwareFileDialog"
        title: qsTr("Please choose a file")
        nameFilters: [qsTr("BIN Files (*.bin)")]
        fileMode: FileDialog.OpenFile
        options: FileDialog.ReadOnly
        currentFolder: ProgramInfo.downloadFolder
        onAccepted: {
            if (selectedFiles.length > 0)
                AppCore.updateFirmwareFileSelected(selectedFiles[0])
        }
    }
    FileDialog {
        id: stateCopyDialog

        property string sourcePath

        title: qsTr("Please choose a file name to save")
        fileMode: FileDialog.SaveFile
        onAccepted: AppCore.needToCopyStateFile(sourcePath, selectedFile)
    }
}
