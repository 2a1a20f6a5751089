import QtQuick
import QtQuick.Controls
import VorlexIoTConfigurator

// The rows of one element page.
ListView {
    id: view

    property InterfaceLoader interfaceLoader

    clip: true
    spacing: 0
    boundsBehavior: Flickable.StopAtBounds
    reuseItems: false
    ScrollBar.vertical: ScrollBar {}
    delegate: ElementRow {
        width: ListView.view.width
        interfaceLoader: view.interfaceLoader
        hierarchical: view.model ? view.model.hierarchical : false
    }
}
