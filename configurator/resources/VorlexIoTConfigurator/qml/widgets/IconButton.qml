import QtQuick
import QtQuick.Controls
import AppCore 1.0
import VorlexIoTConfigurator

// A square button showing one of the module's icons (icons/<iconName>.png); `Accessible.name` says
// what it does.
ToolButton {
    property string iconName

    implicitWidth: VkConstants.kButtonHeight
    implicitHeight: VkConstants.kButtonHeight
    padding: VkConstants.kButtonIconPadding
    icon.source: AppCore.appCoreGetResourcePrefix() + "/icons/" + iconName + ".png"
    icon.color: "transparent"
    icon.width: width - 2 * padding
    icon.height: height - 2 * padding
    opacity: enabled ? 1 : 0.3
    display: AbstractButton.IconOnly
}
