import QtQuick
import QtQuick.Dialogs

// A file dialog that hands the chosen file on as `picked(file)`: what the dialog's user chose, or what
// choose(file) says was chosen (a file handed in from elsewhere, a test).
Item {
    id: picker

    property alias title: dialog.title
    property alias fileMode: dialog.fileMode
    property alias nameFilters: dialog.nameFilters
    property alias defaultSuffix: dialog.defaultSuffix
    readonly property bool opened: dialog.visible

    signal picked(url file)

    function open() {
        dialog.open()
    }
    function choose(file) {
        dialog.close()
        picked(file)
    }

    FileDialog {
        id: dialog
        onAccepted: picker.picked(selectedFile)
    }
}
