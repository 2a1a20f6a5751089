import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import AppCore 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// The debug console: everything the core and the device report, one list row per line, with
// auto-scroll, line selection and copying, a find field that marks lines and steps between them,
// saving the lines with their times; the state copy, clearing, and the firmware update.
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
    // Steps to the next (or previous) line holding the find text and shows it; the view stops
    // following the end so that the line stays where it is.
    function step(backwards) {
        const row = page.lines.findNext(backwards)
        if (row < 0)
            return
        autoScroll.checked = false
        debugView.positionViewAtIndex(row, ListView.Center)
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
            IconButton {
                objectName: "copyButton"
                iconName: "copy"
                text: page.lines && page.lines.hasSelection ? qsTr("Copy lines") : qsTr("Copy all")
                Accessible.name: text
                ToolTip.text: text
                ToolTip.visible: hovered
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
        RowLayout {
            Layout.fillWidth: true
            spacing: 0
            TextField {
                id: findField
                objectName: "findField"
                Layout.fillWidth: true
                placeholderText: qsTr("Find")
                Accessible.name: qsTr("Find in the console")
                selectByMouse: true
                onTextChanged: page.lines.findText = text
                Keys.onReturnPressed: (event) => page.step(event.modifiers & Qt.ShiftModifier)
                Keys.onEnterPressed: (event) => page.step(event.modifiers & Qt.ShiftModifier)
            }
            PlainLabel {
                objectName: "matchCountLabel"
                visible: findField.text.length > 0
                color: Material.hintTextColor
                text: page.lines.matchCount === 0 ? qsTr("no match")
                    : page.lines.currentMatch < 0 ? qsTr("found: %1").arg(page.lines.matchCount)
                    : qsTr("line %1, found: %2").arg(page.lines.currentMatch + 1).arg(page.lines.matchCount)
            }
            IconButton {
                objectName: "findPreviousButton"
                iconName: "find_prev"
                enabled: page.lines.matchCount > 0
                Accessible.name: qsTr("Previous match")
                onClicked: page.step(true)
            }
            IconButton {
                objectName: "findNextButton"
                iconName: "find_next"
                enabled: page.lines.matchCount > 0
                Accessible.name: qsTr("Next match")
                onClicked: page.step(false)
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
            ScrollBar.vertical: ScrollBar { id: debugScroll; policy: ScrollBar.AsNeeded }
            // The oldest lines beyond the console's limit are gone: one line says how many.
            header: Item {
                width: ListView.view.width
                height: page.lines.droppedLines > 0 ? droppedLabel.implicitHeight : 0
                PlainLabel {
                    id: droppedLabel
                    objectName: "droppedLinesLabel"
                    width: parent.width
                    visible: page.lines.droppedLines > 0
                    color: Material.hintTextColor
                    font.italic: true
                    text: qsTr("Earlier lines dropped: %1").arg(page.lines.droppedLines)
                }
            }
            // Rows are measured as they are made: the end moves on after the count has changed.
            onContentHeightChanged: page.followEnd()
            delegate: PlainLabel {
                id: row

                required property int index
                required property string line
                required property bool selected
                required property int match

                width: ListView.view.width - debugScroll.width - VkConstants.kRightMargin
                text: row.line
                wrapMode: Text.WrapAnywhere
                font.family: "monospace"
                font.pixelSize: Math.round((ApplicationWindow.window ? ApplicationWindow.window.font.pixelSize : 14) * 0.85)
                background: Rectangle {
                    color: row.selected ? Qt.lighter(Material.accent, 1.6)
                        : row.match === 2 ? "#ffd54f" : row.match === 1 ? "#fff3c4" : "transparent"
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: (mouse) => page.lines.select(row.index, mouse.modifiers & Qt.ShiftModifier)
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: VkConstants.kHorizontalSpacing
            TButton {
                objectName: "saveLogButton"
                text: qsTr("Save log…")
                Accessible.name: text
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                onClicked: AppCore.saveDebugLogClicked(page.lines.logText())
            }
            TButton {
                objectName: "updateFirmwareButton"
                text: qsTr("Update firmware")
                visible: Qt.platform.os !== "ios"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                onClicked: {
                    if (Qt.platform.os === "android")
                        page.updateFirmwareDialog.open()
                    else
                        firmwareFileDialog.open()
                }
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
