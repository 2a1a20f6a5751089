import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

// A group or dialog title: plain text, larger than the window's font, in the primary colour.
PlainLabel {
    property real sizeFactor: 1.5

    font.pixelSize: Math.round((ApplicationWindow.window ? ApplicationWindow.window.font.pixelSize : 14) * sizeFactor)
    color: Material.primary
}
