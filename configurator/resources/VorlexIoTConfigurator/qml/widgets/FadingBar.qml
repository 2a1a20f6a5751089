import QtQuick
import QtQuick.Controls.Material

// A bar in the primary colour fading to white over its last 37 %.
Rectangle {
    gradient: Gradient {
        orientation: Gradient.Horizontal
        GradientStop { position: 0.0; color: Material.primary }
        GradientStop { position: 0.63; color: Material.primary }
        GradientStop { position: 1.0; color: "white" }
    }
}
