import QtQuick
import QtQml.Models

// The rows of `model` whose `filterRole` contains `filterText`, case-insensitively (all rows for an
// empty text); filtered again whenever the text or the rows change.
DelegateModel {
    id: filter

    property string filterText
    property string filterRole: "name"

    function matches(value) {
        return filterText.length === 0 || String(value).toLowerCase().indexOf(filterText.toLowerCase()) !== -1
    }
    function update() {
        for (let i = 0; i < items.count; ++i) {
            const item = items.get(i)
            item.inShown = matches(item.model[filterRole])
        }
    }

    groups: DelegateModelGroup { id: shownGroup; name: "shown" }
    filterOnGroup: "shown"
    onFilterTextChanged: update()
    items.onChanged: update()
}
