import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

// The program's text button: white text on the accent colour.
Button {
    Material.background: Material.accent
    Material.foreground: "white"
    Accessible.name: text
}
