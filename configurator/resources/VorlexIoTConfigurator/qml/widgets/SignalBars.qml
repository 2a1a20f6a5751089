import QtQuick
import QtQuick.Controls.Material

// The signal strength of a device as bars of growing height, `bars` of `maxBars` filled.
Item {
    id: signal

    property int bars: 0
    property int maxBars: 4
    readonly property int barWidth: 4
    readonly property int gap: 2

    implicitWidth: maxBars * barWidth + (maxBars - 1) * gap
    implicitHeight: 16
    Accessible.role: Accessible.Indicator
    Accessible.name: qsTr("Signal strength: %1 of %2 bars").arg(bars).arg(maxBars)

    Repeater {
        model: signal.maxBars
        Rectangle {
            required property int index

            x: index * (signal.barWidth + signal.gap)
            width: signal.barWidth
            height: Math.round(signal.height * (index + 1) / signal.maxBars)
            y: signal.height - height
            radius: 1
            color: index < signal.bars ? Material.primary : "#D0D0D0"
        }
    }
}
