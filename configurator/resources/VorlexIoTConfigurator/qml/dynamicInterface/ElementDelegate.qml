import QtQuick
import AppCore 1.0
import InterfaceElement 1.0
import VkUi 1.0
import VorlexIoTConfigurator

// What every value delegate shares: the element of its row and who is connected, the row's height
// (0 while the row is collapsed, changes animated), the name in the interface language, whether the
// user may edit it, its command, and the refresh when the core has new values for its kind.
Item {
    id: delegate

    property InterfaceElement element
    property bool isRoot: false
    property bool isApplication: false
    property bool rowVisible: true
    // The row's entry in the page's model (isExpanded is written through it) and the page router.
    property var rowModel
    property InterfaceLoader interfaceLoader

    readonly property bool editable: ElementInput.isEditable(element, isRoot)
    readonly property bool isCommand: ElementInput.isCommand(element)
    readonly property string name: ElementInput.displayName(element, AppCore.appCoreIsRuSupported(),
                                                             AppCore.appCoreIsEnSupported())
    property bool loaded: false

    // Copy the element's value into the control.
    signal updateRequested()

    function runCommand() {
        if (isApplication)
            AppCore.executeApplicationCommand(element.id)
        else
            AppCore.executeCommand(element.id)
    }

    objectName: element ? "element_" + element.id : ""
    height: rowVisible ? implicitHeight : 0
    visible: rowVisible
    clip: true
    Behavior on height {
        NumberAnimation { duration: VkConstants.kExpandingAnimationDuration; easing.type: Easing.OutCubic }
    }

    Connections {
        target: AppCore
        function onLoadDataToInterface(elementType) {
            if (delegate.element && elementType === delegate.element.type)
                delegate.updateRequested()
        }
    }
    Component.onCompleted: {
        loaded = true
        updateRequested()
    }
}
