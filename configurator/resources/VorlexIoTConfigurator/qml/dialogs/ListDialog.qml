import QtQuick
import QtQuick.Controls
import VkUi 1.0
import VorlexIoTConfigurator

// The devices found by the scan; a click on one picks it.
Dialog {
    id: dialog

    property string selectedUuid
    property string selectedName
    // The devices of the present search, kept by the core's models.
    readonly property DeviceListModel devices: CoreModels.devices

    function clearContent() {
        devices.clearContent()
        selectedUuid = ""
        selectedName = ""
    }

    objectName: "deviceListDialog"
    header: DialogHeader { text: dialog.title }
    footer: DialogFooter { dialog: dialog; hasOk: false }
    modal: true
    parent: Overlay.overlay
    width: parent ? parent.width * 2 / 3 : 300
    height: parent ? parent.height * 4 / 5 : 600
    anchors.centerIn: Overlay.overlay
    z: 10

    ListView {
        objectName: "deviceList"
        anchors.fill: parent
        clip: true
        model: dialog.devices
        ScrollBar.vertical: ScrollBar {}
        delegate: ItemDelegate {
            id: row

            required property int index
            required property string name
            required property string uuid

            objectName: "deviceRow_" + index
            width: ListView.view.width
            height: Math.max(35, implicitHeight)
            Accessible.name: name
            contentItem: PlainLabel {
                objectName: "deviceName_" + row.index
                text: row.name
                wrapMode: Text.Wrap
            }
            onClicked: {
                dialog.selectedUuid = uuid
                dialog.selectedName = name
                dialog.accept()
            }
        }
    }
}
