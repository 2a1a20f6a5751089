import QtQuick

// A loader whose document is compiled and made only when build() is first called, then kept; an inline
// component (sourceComponent) instead stays live-bound to where it is written.
Loader {
    property url document
    property var initialProperties: ({})

    function build() {
        if (status === Loader.Null && document.toString() !== "")
            setSource(document, initialProperties)
        active = true
        return item
    }

    active: false
}
