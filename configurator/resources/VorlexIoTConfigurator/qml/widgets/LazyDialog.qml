import QtQuick

// A dialog made (and compiled) when it is first needed, then kept: make() returns it, open, close and
// reject act on it once made. The dialog sets its own parent (the window's overlay): the loader has no
// size.
Loader {
    property url document
    property var initialProperties: ({})

    function make() {
        if (status === Loader.Null)
            setSource(document, initialProperties)
        active = true
        return item
    }
    function open() {
        const dialog = make()
        if (dialog)
            dialog.open()
    }
    function close() {
        if (item)
            item.close()
    }
    function reject() {
        if (item)
            item.reject()
    }

    active: false
}
