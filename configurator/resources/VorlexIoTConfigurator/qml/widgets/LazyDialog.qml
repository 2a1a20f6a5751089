import QtQuick

// A dialog made when it is first needed, then kept: make() returns it, open, close and reject act on it
// once made. The dialog sets its own parent (the window's overlay): the loader has no size.
LazyLoader {
    function make() {
        return build()
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
}
