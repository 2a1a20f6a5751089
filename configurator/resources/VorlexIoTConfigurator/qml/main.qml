import QtQuick
import QtQuick.Controls

ApplicationWindow {
    id: root

    width: 400
    height: 780
    visible: true
    title: Qt.application.name
}
