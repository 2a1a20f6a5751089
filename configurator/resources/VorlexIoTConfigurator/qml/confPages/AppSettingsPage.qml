import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VkUi 1.0
import VorlexIoTConfigurator

// The program's own settings and its version.
Page {
    id: page

    property InterfaceLoader interfaceLoader

    objectName: "appSettingsPage"
    title: qsTr("Application settings")

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: VkConstants.kLeftMargin
        spacing: VkConstants.kVerticalSpacing

        ElementListView {
            objectName: "appSettingsList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            model: page.interfaceLoader.appSettingsModel
            interfaceLoader: page.interfaceLoader
        }
        PlainLabel {
            objectName: "appVersionLabel"
            text: qsTr("Application version: ") + ProgramInfo.version
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
    }
}
