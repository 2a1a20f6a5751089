import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// The devices found by the scan, strongest signal first; a click on one picks it. A filter field
// narrows the list to a name or serial number; a device not heard for a while is greyed.
Dialog {
    id: dialog

    property string selectedUuid
    property string selectedName
    // The devices of the present search, kept by the core's models.
    readonly property DeviceListModel devices: CoreModels.devices

    function clearContent() {
        devices.clearContent()
        filterField.text = ""
        selectedUuid = ""
        selectedName = ""
    }

    objectName: "deviceListDialog"
    header: DialogHeader {
        text: dialog.title
        wrapMode: Text.Wrap
        maximumLineCount: 2
    }
    footer: DialogFooter { dialog: dialog; hasOk: false }
    modal: true
    parent: Overlay.overlay
    // Whole pixels: a dialog at a fractional position draws its rounded corners a pixel off. Nearly
    // the window's width on a phone-sized window, so that the title and the rows have room.
    width: parent ? Math.round(Math.min(parent.width - 24, 560)) : 300
    height: parent ? Math.round(parent.height * 4 / 5) : 600
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    z: 10

    ColumnLayout {
        anchors.fill: parent
        spacing: VkConstants.kVerticalSpacing

        TextField {
            id: filterField
            objectName: "deviceFilterField"
            Layout.fillWidth: true
            placeholderText: qsTr("Filter by name or serial number")
            inputMethodHints: Qt.ImhNoPredictiveText
            Accessible.name: qsTr("Filter devices by name or serial number")
            onTextChanged: dialog.devices.filter = text
        }

        ListView {
            objectName: "deviceList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: dialog.devices
            ScrollBar.vertical: ScrollBar {}

            PlainLabel {
                objectName: "deviceListEmpty"
                anchors.centerIn: parent
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                visible: dialog.devices.count === 0
                opacity: 0.6
                text: filterField.text.length > 0 ? qsTr("No device matches the filter")
                                                  : qsTr("Searching for devices…")
            }

            delegate: ItemDelegate {
                id: row

                required property int index
                required property string name
                required property string uuid
                required property int rssi
                required property int bars
                required property bool stale
                required property bool lastConnected

                // 0: the platform measured no signal strength.
                readonly property string signalText: rssi !== 0 ? qsTr("%1 dBm").arg(rssi) : ""

                objectName: "deviceRow_" + index
                width: ListView.view.width
                height: Math.max(35, implicitHeight)
                // Not heard for a while: still there to pick, but greyed.
                opacity: stale ? 0.4 : 1
                Accessible.name: name
                Accessible.description: [signalText, lastConnected ? qsTr("last connected") : "",
                                         stale ? qsTr("not heard recently") : ""].filter(t => t.length > 0).join(", ")
                contentItem: RowLayout {
                    spacing: 10
                    SignalBars {
                        objectName: "deviceBars_" + row.index
                        Layout.alignment: Qt.AlignVCenter
                        bars: row.bars
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 0
                        PlainLabel {
                            objectName: "deviceName_" + row.index
                            Layout.fillWidth: true
                            text: row.name
                            wrapMode: Text.Wrap
                        }
                        Label {
                            objectName: "deviceLastConnected_" + row.index
                            visible: row.lastConnected
                            text: qsTr("last connected")
                            font.pixelSize: Math.round(row.font.pixelSize * 0.85)
                            color: Material.accent
                        }
                    }
                    PlainLabel {
                        objectName: "deviceRssi_" + row.index
                        Layout.alignment: Qt.AlignVCenter
                        text: row.rssi !== 0 ? row.signalText : "–"
                        opacity: 0.7
                    }
                }
                onClicked: {
                    dialog.selectedUuid = uuid
                    dialog.selectedName = name
                    dialog.accept()
                }
            }
        }
    }
}
