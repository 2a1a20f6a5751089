import QtQuick
import QtQuick.Layouts
import VorlexIoTConfigurator

// The name of an element beside its value.
PlainLabel {
    Layout.fillWidth: true
    Layout.alignment: Qt.AlignVCenter
    wrapMode: Text.Wrap
}
