import QtQuick

// A dialog made when it is first opened, then kept; open, close and reject act on it once made.
Loader {
    function open() {
        active = true
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
