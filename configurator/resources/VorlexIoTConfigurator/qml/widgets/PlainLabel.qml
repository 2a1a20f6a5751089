import QtQuick
import QtQuick.Controls

// A label for any text that comes from a device or from files: always plain text, never markup
// (a styled label would load the images an <img> tag names).
Label {
    textFormat: Text.PlainText
}
