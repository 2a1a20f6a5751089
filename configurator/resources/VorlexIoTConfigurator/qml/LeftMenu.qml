import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import AppCore 1.0
import VorlexIoTConfigurator

// The drawer menu: the pages, the device files, the font size and the connect button. What it shows
// is kept by the window (`menuState`), so the menu can be made when the drawer first opens.
Pane {
    id: menu

    property SwipeView pageView
    property QtObject menuState

    signal closeDrawer()
    signal deviceFilesRequested()
    signal historyRequested()

    function activePageChanged(index) {
        const buttons = [settingsButton, stateButton, commandsButton, personalizationButton, debugButton,
                         appSettingsButton]
        if (index >= 0 && index < buttons.length)
            buttons[index].checked = true
        else if (pageGroup.checkedButton)
            pageGroup.checkedButton.checked = false
    }
    component PageButton: ToolButton {
        property int pageIndex: -1

        checkable: pageIndex >= 0
        ButtonGroup.group: pageIndex >= 0 ? pageGroup : null
        Layout.fillWidth: true
        contentItem: PlainLabel {
            text: parent.text
            font: parent.font
            opacity: parent.enabled ? 1 : 0.4
            color: parent.checked ? Material.accent : Material.foreground
        }
        Accessible.name: text
        onClicked: {
            if (pageIndex >= 0)
                menu.pageView.currentIndex = pageIndex
            menu.closeDrawer()
        }
    }

    objectName: "leftMenu"
    padding: 0
    background: Rectangle {
        color: Material.primary
        opacity: 0.025
    }

    ButtonGroup { id: pageGroup; exclusive: true }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        PageButton {
            id: settingsButton
            objectName: "menuSettings"
            text: qsTr("Settings")
            pageIndex: VkConstants.kSwipeSettingsPg
            enabled: menu.menuState.settingsPage
        }
        PageButton {
            id: stateButton
            objectName: "menuState"
            text: qsTr("State")
            pageIndex: VkConstants.kSwipeStatePg
            enabled: menu.menuState.statePage
        }
        PageButton {
            id: commandsButton
            objectName: "menuCommands"
            text: qsTr("Commands")
            pageIndex: VkConstants.kSwipeCommandPg
            enabled: menu.menuState.commandsPage
        }
        PageButton {
            id: personalizationButton
            objectName: "menuPersonalization"
            text: qsTr("Personalization")
            pageIndex: VkConstants.kSwipePersonalizationPg
            enabled: menu.menuState.personalizationPage
        }
        PageButton {
            id: deviceFilesButton
            objectName: "menuDeviceFiles"
            text: qsTr("Device files")
            visible: menu.menuState.deviceFiles
            onClicked: menu.deviceFilesRequested()
        }
        PageButton {
            objectName: "menuHistory"
            text: qsTr("History")
            visible: AppCore.connected
            onClicked: menu.historyRequested()
        }
        PageButton {
            id: debugButton
            objectName: "menuDebug"
            text: qsTr("Debug")
            pageIndex: VkConstants.kSwipeDebugPg
        }
        Item { Layout.fillHeight: true }
        PageButton {
            id: appSettingsButton
            objectName: "menuAppSettings"
            text: qsTr("Application settings")
            pageIndex: VkConstants.kSwipeAppSettingsPg
        }
        RowLayout {
            Layout.fillWidth: true
            PlainLabel { text: "  a"; font.pixelSize: 12 }
            Slider {
                id: fontSlider
                objectName: "fontScaleSlider"
                Layout.fillWidth: true
                from: 0.6
                to: 1.2
                stepSize: 0.05
                value: menu.menuState.fontScale
                onMoved: menu.menuState.fontScale = value
                Accessible.name: qsTr("Font size")
            }
            PlainLabel { text: "A  "; font.pixelSize: 20 }
        }
        TButton {
            objectName: "menuConnectButton"
            text: menu.menuState.connStatus
            Material.background: Material.primary
            Layout.fillWidth: true
            Layout.margins: VkConstants.kLeftMargin
            onClicked: {
                console.log("Connect button clicked:", text)
                AppCore.connectClicked()
                menu.closeDrawer()
            }
        }
    }

    Component.onCompleted: activePageChanged(pageView.currentIndex)
}
