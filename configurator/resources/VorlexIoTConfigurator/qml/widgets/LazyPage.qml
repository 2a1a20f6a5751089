import QtQuick

// A page of the page view that is built only when it is first shown or next to the page shown; once
// built it stays, with its scroll positions and switches.
LazyLoader {
    property string title
}
