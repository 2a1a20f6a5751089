import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The OK and Cancel buttons of a dialog, named after it (<dialog>Ok, <dialog>Cancel).
RowLayout {
    id: footer

    property Dialog dialog
    property bool hasOk: true
    property bool hasCancel: true

    spacing: 8
    Item { Layout.fillWidth: true }
    Button {
        objectName: footer.dialog ? footer.dialog.objectName + "Cancel" : ""
        visible: footer.hasCancel
        flat: true
        text: qsTr("Cancel")
        Accessible.name: text
        onClicked: footer.dialog.reject()
    }
    Button {
        objectName: footer.dialog ? footer.dialog.objectName + "Ok" : ""
        visible: footer.hasOk
        flat: true
        text: qsTr("OK")
        Accessible.name: text
        onClicked: footer.dialog.accept()
    }
    Item { implicitWidth: 8 }
}
