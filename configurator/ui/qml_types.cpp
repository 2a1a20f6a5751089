#include "configurator/ui/qml_types.h"

#include "configurator/ui/core_models.h"
#include "configurator/ui/debug_line_model.h"
#include "configurator/ui/device_list_model.h"
#include "configurator/ui/element_input.h"
#include "configurator/ui/element_list_model.h"
#include "configurator/ui/enum_entry_model.h"
#include "configurator/ui/row_list_model.h"
#include "configurator/gui_qml_handler.h"
#include "configurator/program_info.h"
#include "configurator/status_bar.h"
#include "configurator/vk_file_info_element.h"
#include "configurator/vk_interface_element.h"

#include <QMetaType>
#include <QQmlEngine>

namespace configurator {

void registerQmlTypes()
{
    qmlRegisterUncreatableType<VkFileInfoElement>("VkFileInfoElement", 1, 0, "VkFileInfoElement", QString());
    qRegisterMetaType<VkFileInfoElement::EEPermission>("VkFileInfoElement::EEPermission");
    qRegisterMetaType<VkInterfaceElement::ETypes>("VkInterfaceElement::ETypes");
    qRegisterMetaType<VkInterfaceElement::EDataTypes>("VkInterfaceElement::EDataTypes");
    qRegisterMetaType<VkInterfaceElement::EEditables>("VkInterfaceElement::EEditables");
    qRegisterMetaType<VkInterfaceElement::EEnumReps>("VkInterfaceElement::EEnumReps");
    qmlRegisterUncreatableType<VkInterfaceElement>("InterfaceElement", 1, 0, "InterfaceElement", QString());
    // The one core of the process; the engine owns it from its first use on (a new engine in the same
    // process, as in tests, gets a new core when the previous one went with its engine).
    qmlRegisterSingletonType<GuiQmlHandler>("AppCore", 1, 0, "AppCore", [](QQmlEngine *, QJSEngine *) -> QObject * {
        return GuiQmlHandler::instance() ? GuiQmlHandler::instance() : GuiQmlHandler::createInstance();
    });
    qRegisterMetaType<GuiQmlHandler::EStandardCommands>("configurator::GuiQmlHandler::EStandardCommands");
    qmlRegisterType<StatusBar>("StatusBar", 1, 0, "StatusBar");

    // The interface's own models and helpers.
    constexpr const char *ui = "VkUi";
    qmlRegisterType<ElementListModel>(ui, 1, 0, "ElementListModel");
    qmlRegisterType<EnumEntryModel>(ui, 1, 0, "EnumEntryModel");
    qmlRegisterType<DebugLineModel>(ui, 1, 0, "DebugLineModel");
    qmlRegisterType<DeviceListModel>(ui, 1, 0, "DeviceListModel");
    qmlRegisterUncreatableType<RowListModel>(ui, 1, 0, "RowListModel", QString());
    qmlRegisterUncreatableType<ComparisonModel>(ui, 1, 0, "ComparisonModel", QString());
    qmlRegisterUncreatableType<HistoryModel>(ui, 1, 0, "HistoryModel", QString());
    // The window's lists, on the same core as AppCore.
    qmlRegisterSingletonType<CoreModels>(ui, 1, 0, "CoreModels", [](QQmlEngine *, QJSEngine *) -> QObject * {
        return new CoreModels(GuiQmlHandler::instance() ? GuiQmlHandler::instance() : GuiQmlHandler::createInstance());
    });
    qmlRegisterSingletonType<ElementInput>(
        ui, 1, 0, "ElementInput", [](QQmlEngine *, QJSEngine *) -> QObject * { return new ElementInput; });
    qmlRegisterSingletonType<ProgramInfo>(
        ui, 1, 0, "ProgramInfo", [](QQmlEngine *, QJSEngine *) -> QObject * { return new ProgramInfo; });
}

QString qmlImportPath()
{
    return QStringLiteral(":/configurator/resources");
}

} // namespace configurator
