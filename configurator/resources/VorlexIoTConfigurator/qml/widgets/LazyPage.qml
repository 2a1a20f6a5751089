import QtQuick

// A page of the page view that is built only when it is first shown or next to the page shown; once
// built it stays, with its scroll positions and switches. A page given as a document is compiled only
// then too, which keeps the pages out of the program's start; an inline component stays live-bound.
Loader {
    property string title
    property url document
    property var initialProperties: ({})

    function build() {
        if (status === Loader.Null && document.toString() !== "")
            setSource(document, initialProperties)
        active = true
    }

    active: false
}
