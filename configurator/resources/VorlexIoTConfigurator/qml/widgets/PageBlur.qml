import QtQuick
import Qt5Compat.GraphicalEffects

// The blur under the busy and progress overlays, made the first time one of them shows.
FastBlur {
    radius: 20
}
