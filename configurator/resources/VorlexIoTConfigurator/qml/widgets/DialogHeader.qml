import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import VorlexIoTConfigurator

// The title of a dialog, in plain text (a dialog's own title label would read markup). A title wider
// than the dialog goes on in a second line.
PlainLabel {
    font.pixelSize: VkConstants.kDialogTitleFontSize
    font.bold: true
    wrapMode: Text.Wrap
    padding: 24
    bottomPadding: 0
    color: Material.primary
}
