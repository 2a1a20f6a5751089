#include "configurator/ui/core_models.h"

#include "configurator/gui_qml_handler.h"
#include "configurator/app_settings.h"

#include <QDebug>

namespace configurator {

namespace {

using G = GuiQmlHandler;
using E = VkInterfaceElement;

constexpr int kDevicePages
    = (1 << E::SlaveSetting) | (1 << E::SlaveState) | (1 << E::SlaveCommand) | (1 << E::PersonalizationInfo);

} // namespace

CoreModels::CoreModels(GuiQmlHandler *core, QObject *parent)
    : QObject(parent)
    , _core(core)
    , _standardCommands({ "cmdId", "name" })
    , _deviceFiles({ "fileInfo", "isRoot" })
    , _firmwareFiles({ "name", "version", "date", "path" })
    , _firmwareServerFiles({ "name", "version", "url" })
    , _comparison(core)
    , _history(core)
{
    _settings.setTypes({ E::SlaveSetting, E::AppSettings });
    _settings.setCollapsible(true);
    _state.setTypes({ E::SlaveState });
    _commands.setTypes({ E::SlaveCommand, E::AppCommands });
    _personalization.setTypes({ E::PersonalizationInfo });
    _appSettings.setTypes({ E::AppSettings });
    _appSettings.setApplication(true);
    if (!core)
        return;

    connect(core, &G::addInterfaceElement, this, &CoreModels::route);
    connect(core, &G::clearInterface, this, [this]() {
        _settings.clear();
        _personalization.clear();
        _state.clear();
        _commands.clear();
    });
    connect(core, &G::loadDataToInterface, this, &CoreModels::enablePage);
    connect(core, &G::appCoreUpdateConnStatus, this,
        [this](const QString &, bool connected, bool isApplication) {
            setPages(connected && isApplication ? kDevicePages : 0);
        });
    connect(core, &G::addAppSettingsElement, this, [this](VkInterfaceElement *element) {
        if (!element)
            return;
        qDebug().noquote() << QStringLiteral("App setting try to append element: id[%1], name[%2], dataType[%3]")
                                  .arg(element->id())
                                  .arg(element->nameEn())
                                  .arg(int(element->dataType()));
        appendAppSetting(element);
    });
    connect(core, &G::appCoreRemoveAllStandartCmd, this, [this]() { _standardCommands.clear(); });
    connect(core, &G::appCoreAddStandartCmd, this,
        [this](int cmdId, const QString &name) { _standardCommands.append({ cmdId, name }); });
    connect(core, &G::appCoreClearDeviceFiles, this, [this]() { _deviceFiles.clear(); });
    connect(core, &G::appCoreAddDeviceFileElement, this, [this](VkFileInfoElement *info, bool isRoot) {
        _deviceFiles.append({ QVariant::fromValue(info), isRoot });
    });
    connect(core, &G::appCoreClearFirmwareLocalFiles, this, [this]() { _firmwareFiles.clear(); });
    connect(core, &G::appCoreAddFirmwareLocalFile, this,
        [this](const QString &name, const QString &version, const QString &date, const QString &path) {
            _firmwareFiles.append({ name, version, date, path });
        });
    connect(core, &G::appCoreClearFirmwareServerFiles, this, [this]() { _firmwareServerFiles.clear(); });
    connect(core, &G::appCoreAddFirmwareServerFile, this,
        [this](const QString &name, const QString &version, const QString &url) {
            _firmwareServerFiles.append({ name, version, url });
        });
    connect(core, &G::appCoreBleDiscoveryStateChanged, this, [this](bool enable) {
        if (enable)
            _devices.clearContent();
    });
    connect(core, &G::appCoreBleDeviceDiscovered, this, [this](const QString &name, const QString &uuid) {
        // A scan that was just ended may still report a device: a list that is not open takes no rows.
        if (_core->isDiscovering())
            _devices.addElement(name, uuid);
    });
    connect(core, &G::appCoreBleDeviceLost, this, [this](const QString &uuid) { _devices.removeElement(uuid); });
    // Only rows the list took are updated: a closed list stays empty.
    connect(core, &G::appCoreBleDeviceHeard, &_devices, &DeviceListModel::heard);
    _devices.setLastConnectedSerial(core->lastConnectedSerial());
    connect(core, &G::lastConnectedSerialChanged, this,
        [this]() { _devices.setLastConnectedSerial(_core->lastConnectedSerial()); });
    connect(core, &G::appCoreDebugText, this, [this](const QString &text) { _debugLines.appendText(text); });
    connect(core, &G::appCoreClearDebugText, this, [this]() { _debugLines.clear(); });

    // What the core holds already (the application settings are made once per run).
    for (VkInterfaceElement *element : core->appSettingsElements())
        appendAppSetting(element);
    if (!core->debugText().isEmpty())
        _debugLines.appendText(core->debugText());
}

void CoreModels::appendAppSetting(VkInterfaceElement *element)
{
    _appSettings.append(element, true);
    if (element->id() != AppSettings::ConsoleLines)
        return;
    _debugLines.setMaxLines(AppSettings::consoleLines());
    connect(element, &VkInterfaceElement::changedData, &_debugLines,
        [this]() { _debugLines.setMaxLines(AppSettings::consoleLines()); });
}

void CoreModels::route(bool isRoot, VkInterfaceElement *element)
{
    if (!element)
        return;
    for (ElementListModel *model : { &_settings, &_state, &_commands, &_personalization }) {
        if (!model->accepts(element->type()))
            continue;
        const bool shown = model->append(element, isRoot);
        if (model == &_commands) {
            if (shown)
                qDebug() << "Commands model appended " << element << isRoot << element->dataType();
            enablePage(E::SlaveCommand);
        }
        return;
    }
    qDebug() << "Unknown type: " << int(element->type());
}

void CoreModels::enablePage(int elementType)
{
    if (elementType >= E::PersonalizationInfo && elementType <= E::SlaveCommand)
        setPages(_pages | (1 << elementType));
}

void CoreModels::setPages(int pages)
{
    if (pages == _pages)
        return;
    _pages = pages;
    emit pagesChanged();
}

} // namespace configurator
