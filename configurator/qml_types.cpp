#include "configurator/qml_types.h"

#include "configurator/gui_qml_handler.h"
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
}

} // namespace configurator
