import QtQuick

// A dialog made (and compiled) when it is first opened, then kept; open, close and reject act on it
// once made.
Loader {
    property url document
    property var initialProperties: ({})

    function open() {
        if (status === Loader.Null)
            setSource(document, initialProperties)
        active = true
        if (item)
            item.open()
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
