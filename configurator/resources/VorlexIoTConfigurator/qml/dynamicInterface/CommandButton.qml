import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VorlexIoTConfigurator

// The round ">" button that runs a command element: an eighth of the row wide, at least 10.
RoundButton {
    property real rowWidth

    text: ">"
    Layout.preferredWidth: Math.max(rowWidth / 8, 10)
    Layout.alignment: Qt.AlignVCenter
}
