import QtQuick
import VkUi 1.0

// The element pages' way to the core's models (CoreModels routes each element to its page), and the
// group titles' way to fold their rows: catchLabelHide / catchLabelShow.
QtObject {
    signal hideElements(int parentId)
    signal showElements(int parentId)

    readonly property ElementListModel settingsModel: CoreModels.settings
    readonly property ElementListModel stateModel: CoreModels.state
    readonly property ElementListModel commandsModel: CoreModels.commands
    readonly property ElementListModel personalizationModel: CoreModels.personalization
    readonly property ElementListModel appSettingsModel: CoreModels.appSettings
    // Commands of the program itself for the connected device: cmdId, name.
    readonly property RowListModel standardCommands: CoreModels.standardCommands
    // The files of the connected device: fileInfo (VkFileInfoElement), isRoot.
    readonly property RowListModel deviceFiles: CoreModels.deviceFiles

    function catchLabelHide(labelId) {
        hideElements(labelId)
    }
    function catchLabelShow(labelId) {
        showElements(labelId)
    }

    onHideElements: (parentId) => CoreModels.hideGroup(parentId)
    onShowElements: (parentId) => CoreModels.showGroup(parentId)
}
