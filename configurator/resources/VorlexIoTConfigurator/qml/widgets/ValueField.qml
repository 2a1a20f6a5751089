import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

// The text field of a value row. A value the user may not change is drawn as plain text (no
// underline, no cursor; it can still be selected and copied); a secret one is masked until revealed.
TextField {
    property bool editable: true
    property bool secret: false
    property bool revealed: false

    readOnly: !editable
    activeFocusOnPress: editable
    selectByMouse: true
    echoMode: secret && !revealed ? TextInput.Password : TextInput.Normal
    background.visible: editable
    leftPadding: editable ? undefined : 0
}
