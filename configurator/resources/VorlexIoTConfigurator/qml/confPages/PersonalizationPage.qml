import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import AppCore 1.0
import InterfaceElement 1.0
import VorlexIoTConfigurator

// The device's personalization parameters.
Page {
    id: page

    property InterfaceLoader interfaceLoader

    objectName: "personalizationPage"
    title: qsTr("Personalization")

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: VkConstants.kLeftMargin
        spacing: VkConstants.kVerticalSpacing

        ElementListView {
            objectName: "personalizationList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            model: page.interfaceLoader.personalizationModel
            interfaceLoader: page.interfaceLoader
        }
        GetSaveBar {
            kind: InterfaceElement.PersonalizationInfo
            name: "Personalization"
            Layout.fillWidth: true
            onGetClicked: AppCore.getPersClicked()
            onSaveClicked: AppCore.savePersClicked()
        }
    }
}
