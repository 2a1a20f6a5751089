import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import VorlexIoTConfigurator

// The title line of a dialog, in plain text (a dialog's own title label would read markup).
PlainLabel {
    font.pixelSize: VkConstants.kDialogTitleFontSize
    font.bold: true
    elide: Text.ElideRight
    padding: 24
    bottomPadding: 0
    color: Material.primary
}
