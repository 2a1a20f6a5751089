import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import AppCore 1.0
import StatusBar 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// The window: header line, drawer menu, the seven pages and the dialogs, each made once.
ApplicationWindow {
    id: root

    readonly property real fontScale: menuState.fontScale
    readonly property int baseFontPixelSize: 14
    readonly property bool connected: AppCore.connected
    // The lists the window shows, made with the window so that they take the core's announcements from
    // the start.
    readonly property CoreModels models: CoreModels

    objectName: "mainWindow"
    width: 400
    height: 900
    visible: true
    title: AppCore.applicationName
    font.pixelSize: Math.round(baseFontPixelSize * fontScale)

    StatusBar { color: root.Material.primary }

    header: ToolBar {
        Material.foreground: "white"
        RowLayout {
            anchors.fill: parent
            spacing: 0
            IconButton {
                objectName: "drawerButton"
                iconName: "drawer_white"
                font.pixelSize: Qt.application.font.pixelSize * 1.6
                Accessible.name: qsTr("Menu")
                onClicked: drawer.visible ? drawer.close() : drawer.open()
            }
            PlainLabel {
                objectName: "pageTitle"
                text: pages.currentItem ? pages.currentItem.title : ""
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: Math.round(root.baseFontPixelSize * root.fontScale * 1.2)
                Layout.fillWidth: true
            }
            // The one label with markup: the core escapes what the device put into it.
            Label {
                id: slaveInfolabel
                objectName: "slaveInfolabel"
                text: AppCore.headerText
                textFormat: Text.StyledText
                horizontalAlignment: Text.AlignRight
                Layout.rightMargin: 10
            }
        }
    }

    footer: PlainLabel {
        objectName: "simulatedMark"
        visible: ProgramInfo.simulatedDevices
        text: qsTr("Simulated devices")
        horizontalAlignment: Text.AlignHCenter
        color: "white"
        padding: 2
        background: Rectangle { color: Material.color(Material.Orange, Material.Shade800) }
    }

    // What the drawer menu shows: the menu is made when the drawer first opens.
    QtObject {
        id: menuState

        property real fontScale: 1
        readonly property string connStatus: AppCore.connStatus
        readonly property bool settingsPage: root.models.settingsPage
        readonly property bool statePage: root.models.statePage
        readonly property bool commandsPage: root.models.commandsPage
        readonly property bool personalizationPage: root.models.personalizationPage
        readonly property bool deviceFiles: AppCore.deviceFilesVisible
    }

    Drawer {
        id: drawer
        objectName: "drawer"
        width: root.width * 2 / 3
        height: root.height
        // Also when a drag from the window's edge begins to show it.
        onAboutToShow: menu.build()
        LazyLoader {
            id: menu
            anchors.fill: parent
            document: Qt.resolvedUrl("LeftMenu.qml")
            initialProperties: ({ pageView: pages, menuState: menuState })
        }
        Connections {
            target: menu.item
            function onCloseDrawer() {
                drawer.close()
            }
            function onDeviceFilesRequested() {
                deviceFilesDialog.open()
            }
            function onHistoryRequested() {
                historyDialog.open()
            }
        }
    }

    SwipeView {
        id: pages

        // The view moves its index to the first page while the pages are added, so the home page is made
        // current once they all are (Component.onCompleted below); until then no page is built.
        property bool started: false

        // Builds the page at `index` and, while swiping is on, its neighbours (the ones a swipe reveals).
        function buildAround(index) {
            const reach = interactive ? 1 : 0
            for (let i = Math.max(0, index - reach); i <= Math.min(count - 1, index + reach); ++i)
                itemAt(i).build()
        }

        objectName: "pageView"
        anchors.fill: parent
        interactive: root.connected
        // Blurred under the busy and progress overlays.
        layer.enabled: busyDialog.visible || progressDialog.visible
        layer.effect: layer.enabled ? Qt.createComponent("widgets/PageBlur.qml") : null
        // The binding turns the view's own default (interactive) off while the window is made: no page
        // is built before the home page is current.
        onInteractiveChanged: {
            if (started)
                buildAround(currentIndex)
        }
        onCurrentIndexChanged: {
            if (!started)
                return
            console.log("Swipe index changed: " + currentIndex)
            buildAround(currentIndex)
            if (menu.item)
                menu.item.activePageChanged(currentIndex)
        }

        LazyPage {
            title: qsTr("Settings")
            document: Qt.resolvedUrl("confPages/SettingsPage.qml")
            initialProperties: ({ interfaceLoader: elementRouter })
        }
        LazyPage {
            title: qsTr("State")
            document: Qt.resolvedUrl("confPages/StatePage.qml")
            initialProperties: ({ interfaceLoader: elementRouter })
        }
        LazyPage {
            title: qsTr("Commands")
            document: Qt.resolvedUrl("confPages/CommandsPage.qml")
            initialProperties: ({ interfaceLoader: elementRouter })
        }
        LazyPage {
            title: qsTr("Personalization")
            document: Qt.resolvedUrl("confPages/PersonalizationPage.qml")
            initialProperties: ({ interfaceLoader: elementRouter })
        }
        LazyPage {
            title: qsTr("Debug")
            document: Qt.resolvedUrl("confPages/DebugPage.qml")
            initialProperties: ({ lines: root.models.debugLines, updateFirmwareDialog: firmwareDialog })
        }
        LazyPage {
            title: qsTr("Application settings")
            document: Qt.resolvedUrl("confPages/AppSettingsPage.qml")
            initialProperties: ({ interfaceLoader: elementRouter })
        }
        LazyPage {
            title: " "
            sourceComponent: Component { HomePage { connected: root.connected } }
        }
    }

    InterfaceLoader {
        id: elementRouter
    }

    // The dialogs are made when first needed, which keeps them out of the program's start (the password
    // dialog holds its first text field); once made they stay.
    LazyDialog {
        id: passwordDialog
        document: Qt.resolvedUrl("dialogs/PasswordDialog.qml")
    }
    LazyDialog {
        id: errorDialog
        document: Qt.resolvedUrl("dialogs/ErrorDialog.qml")
    }
    // Over the header and the pages, under the drawer and the dialogs.
    BusyDialog {
        id: busyDialog
        parent: root.contentItem.parent
        anchors.fill: parent
        z: 100
    }
    ProgressDialog {
        id: progressDialog
        parent: root.contentItem.parent
        anchors.fill: parent
        z: 101
    }
    LazyDialog {
        id: deviceFilesDialog
        document: Qt.resolvedUrl("dialogs/DeviceFilesDialog.qml")
        initialProperties: ({ files: elementRouter.deviceFiles })
    }
    LazyDialog {
        id: compareDialog
        document: Qt.resolvedUrl("dialogs/CompareDialog.qml")
    }
    LazyDialog {
        id: historyDialog
        document: Qt.resolvedUrl("dialogs/HistoryDialog.qml")
    }
    LazyDialog {
        id: firmwareConfirmDialog
        document: Qt.resolvedUrl("dialogs/FirmwareFileConfirmDialog.qml")
    }
    Connections {
        target: firmwareConfirmDialog.item
        function onUpdateStarted() {
            firmwareDialog.reject()
        }
    }
    LazyDialog {
        id: firmwareDialog
        document: Qt.resolvedUrl("dialogs/UpdateFirmwareDialog.qml")
        initialProperties: ({ confirmDialog: firmwareConfirmDialog })
    }
    LazyDialog {
        id: deviceListDialog
        document: Qt.resolvedUrl("dialogs/ListDialog.qml")
    }
    Connections {
        target: deviceListDialog.item
        function onAccepted() {
            AppCore.appCoreConnectToBleDevice(deviceListDialog.item.selectedUuid)
            deviceListDialog.item.clearContent()
        }
        function onRejected() {
            AppCore.appCoreConnectToBleDevice("")
            deviceListDialog.item.clearContent()
        }
    }

    Connections {
        target: Qt.application
        function onStateChanged() {
            AppCore.appStateChanged(Qt.application.state)
        }
    }
    Connections {
        target: AppCore
        // A new connection opens the page of what the device runs; without one the home page shows.
        function onConnectionChanged() {
            if (AppCore.connected)
                pages.currentIndex = AppCore.isApplication ? VkConstants.kSwipeSettingsPg : VkConstants.kSwipeDebugPg
            else
                pages.currentIndex = VkConstants.kSwipeHomePg
        }
        // A loaded document is shown against the device.
        function onAppCoreComparisonChanged() {
            compareDialog.open()
        }
        function onClearInterface() {
            compareDialog.close()
            historyDialog.close()
            deviceFilesDialog.close()
            firmwareDialog.close()
            firmwareConfirmDialog.close()
        }
        function onAppCoreShowErrorDialog(dialogTitle, errorMessage) {
            errorDialog.make().showMessage(dialogTitle, errorMessage)
        }
        function onAppCoreCheckStartFirmwareUpdate(name, version, path) {
            firmwareConfirmDialog.make().setFields(name, version, path)
            firmwareConfirmDialog.open()
        }
        function onAppCorePasswordRequest() {
            passwordDialog.make().clearPassword()
            passwordDialog.open()
        }
        // The device list is open while the core searches.
        function onDiscoveringChanged() {
            if (AppCore.discovering) {
                const list = deviceListDialog.make()
                list.clearContent()
                list.title = qsTr("Please select device")
                list.open()
            } else if (deviceListDialog.item && deviceListDialog.item.visible) {
                deviceListDialog.close()
            }
        }
    }

    Component.onCompleted: {
        pages.started = true
        pages.currentIndex = VkConstants.kSwipeHomePg
        pages.buildAround(pages.currentIndex)
        AppCore.appStateChanged(Qt.application.state)
    }
}
