import QtQuick
import AppCore 1.0
import InterfaceElement 1.0
import VkUi 1.0

// Routes the elements the core announces to the models of their pages, and keeps those models (and
// the standard commands and the device files) for the pages and dialogs, which are built only when
// first shown. Group titles ask
// through catchLabelHide / catchLabelShow for their rows to be hidden or shown.
QtObject {
    id: loader

    signal hideElements(int parentId)
    signal showElements(int parentId)
    // Values of this element kind arrived: its page's menu entry can be enabled.
    signal pageEnabled(int elementType)

    readonly property ElementListModel settingsModel: ElementListModel {
        types: [InterfaceElement.SlaveSetting, InterfaceElement.AppSettings]
        collapsible: true
    }
    readonly property ElementListModel stateModel: ElementListModel { types: [InterfaceElement.SlaveState] }
    readonly property ElementListModel commandsModel: ElementListModel {
        types: [InterfaceElement.SlaveCommand, InterfaceElement.AppCommands]
    }
    readonly property ElementListModel personalizationModel: ElementListModel {
        types: [InterfaceElement.PersonalizationInfo]
    }
    readonly property ElementListModel appSettingsModel: ElementListModel {
        types: [InterfaceElement.AppSettings]
        application: true
    }
    // Commands of the program itself for the connected device: cmdId, name.
    readonly property ListModel standardCommands: ListModel {}
    // The files of the connected device: fileInfo (VkFileInfoElement), isRoot.
    readonly property ListModel deviceFiles: ListModel {}

    function catchLabelHide(labelId) {
        hideElements(labelId)
    }
    function catchLabelShow(labelId) {
        showElements(labelId)
    }
    function route(isRoot, element) {
        const models = [settingsModel, stateModel, commandsModel, personalizationModel]
        const model = models.find(m => m.accepts(element.type))
        if (!model) {
            console.log("Unknown type: " + element.type)
            return
        }
        const shown = model.append(element, isRoot)
        if (model === commandsModel) {
            if (shown)
                console.log("Commands model appended ", element, isRoot, element.dataType)
            pageEnabled(InterfaceElement.SlaveCommand)
        }
    }
    function clearPages() {
        settingsModel.clear()
        personalizationModel.clear()
        stateModel.clear()
        commandsModel.clear()
    }

    onHideElements: (parentId) => settingsModel.hideChildren(parentId)
    onShowElements: (parentId) => settingsModel.showChildren(parentId)

    property Connections coreConnections: Connections {
        target: AppCore
        function onAddInterfaceElement(isRoot, element) {
            loader.route(isRoot, element)
        }
        function onClearInterface() {
            loader.clearPages()
        }
        function onLoadDataToInterface(elementType) {
            loader.pageEnabled(elementType)
        }
        function onAddAppSettingsElement(element) {
            console.log("App setting try to append element: id[" + element.id + "], name[" + element.nameEn
                        + "], dataType[" + element.dataType + "]")
            loader.appSettingsModel.append(element, true)
        }
        function onAppCoreRemoveAllStandartCmd() {
            loader.standardCommands.clear()
        }
        function onAppCoreAddStandartCmd(cmdId, name) {
            loader.standardCommands.append({ "cmdId": cmdId, "name": name })
        }
        function onAppCoreAddDeviceFileElement(info, isRoot) {
            loader.deviceFiles.append({ "fileInfo": info, "isRoot": isRoot })
        }
        function onAppCoreClearDeviceFiles() {
            loader.deviceFiles.clear()
        }
    }
}
