import QtQuick
import QtQuick.Layouts
import VorlexIoTConfigurator

// The two equal buttons under the settings and personalization lists.
RowLayout {
    id: bar

    property string name
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
}
