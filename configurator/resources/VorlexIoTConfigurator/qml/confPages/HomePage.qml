import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import AppCore 1.0
import VorlexIoTConfigurator

// The start page: the logo and the Connect button.
Page {
    id: page

    property bool connected: false

    objectName: "homePage"
    title: " "

    ColumnLayout {
        anchors.centerIn: parent
        width: page.width * 3 / 4
        spacing: VkConstants.kVerticalSpacing * 4

        Image {
            source: AppCore.appCoreGetResourcePrefix() + "/android/icon/HomePageLogo.png"
            fillMode: Image.PreserveAspectFit
            Layout.fillWidth: true
            Layout.preferredHeight: page.height / 3
            // Decoded once at its own size, off the GUI thread so that the window shows at once; the
            // scene graph scales it.
            asynchronous: true
            mipmap: true
            Accessible.name: qsTr("Vorlex IoT")
        }
        TButton {
            objectName: "homeConnectButton"
            text: page.connected ? qsTr("Disconnect") : qsTr("Connect")
            Layout.fillWidth: true
            Layout.preferredHeight: Math.max(page.height / 12, 50)
            Material.background: Material.primary
            onClicked: AppCore.connectClicked()
        }
    }
}
