import QtQuick
import QtQuick.Controls
import VorlexIoTConfigurator

// The device's state values, refreshed while the device is idle.
Page {
    id: page

    property InterfaceLoader interfaceLoader

    objectName: "statePage"
    title: qsTr("State")

    ElementListView {
        objectName: "stateList"
        anchors.fill: parent
        anchors.margins: VkConstants.kLeftMargin
        model: page.interfaceLoader.stateModel
        interfaceLoader: page.interfaceLoader
    }
}
