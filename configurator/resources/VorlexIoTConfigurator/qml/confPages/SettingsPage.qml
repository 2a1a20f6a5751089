import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import AppCore 1.0
import InterfaceElement 1.0
import VorlexIoTConfigurator

// The device's settings, in collapsible groups when the profile has the "NEW" marker.
Page {
    id: page

    property InterfaceLoader interfaceLoader

    objectName: "settingsPage"
    title: qsTr("Settings")

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: VkConstants.kLeftMargin
        spacing: VkConstants.kVerticalSpacing

        ElementListView {
            objectName: "settingsList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            model: page.interfaceLoader.settingsModel
            interfaceLoader: page.interfaceLoader
        }
        GetSaveBar {
            kind: InterfaceElement.SlaveSetting
            name: "Settings"
            Layout.fillWidth: true
            onGetClicked: AppCore.getSettingsClicked()
            // Saves, reads back and has the device apply its settings (command 1029).
            onSaveClicked: AppCore.saveAndApplySettingsClicked()
        }
    }
}
