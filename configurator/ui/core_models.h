#pragma once

#include "configurator/ui/comparison_model.h"
#include "configurator/ui/debug_line_model.h"
#include "configurator/ui/device_list_model.h"
#include "configurator/ui/element_list_model.h"
#include "configurator/ui/history_model.h"
#include "configurator/ui/row_list_model.h"

#include <QObject>

namespace configurator {

class GuiQmlHandler;

// The lists the window shows, filled from the core's signals: the element pages (each element routed
// to its page by kind, root-only rows kept from other users, collapsible groups on the Settings page),
// the application settings, the standard commands, the device files, the firmware files, the
// device list of a scan and the debug console. Which device pages the menu offers follows the core too.
// The models live as long as the window, so elements announced before a page is first built are there
// when it is. The QML singleton CoreModels (VkUi 1.0).
class CoreModels : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ElementListModel *settings READ settings CONSTANT)
    Q_PROPERTY(ElementListModel *state READ state CONSTANT)
    Q_PROPERTY(ElementListModel *commands READ commands CONSTANT)
    Q_PROPERTY(ElementListModel *personalization READ personalization CONSTANT)
    Q_PROPERTY(ElementListModel *appSettings READ appSettings CONSTANT)
    Q_PROPERTY(RowListModel *standardCommands READ standardCommands CONSTANT)
    Q_PROPERTY(RowListModel *deviceFiles READ deviceFiles CONSTANT)
    Q_PROPERTY(RowListModel *firmwareFiles READ firmwareFiles CONSTANT)
    Q_PROPERTY(RowListModel *firmwareServerFiles READ firmwareServerFiles CONSTANT)
    Q_PROPERTY(DeviceListModel *devices READ devices CONSTANT)
    Q_PROPERTY(DebugLineModel *debugLines READ debugLines CONSTANT)
    Q_PROPERTY(ComparisonModel *comparison READ comparison CONSTANT)
    Q_PROPERTY(HistoryModel *history READ history CONSTANT)
    Q_PROPERTY(bool settingsPage READ settingsPage NOTIFY pagesChanged)
    Q_PROPERTY(bool statePage READ statePage NOTIFY pagesChanged)
    Q_PROPERTY(bool commandsPage READ commandsPage NOTIFY pagesChanged)
    Q_PROPERTY(bool personalizationPage READ personalizationPage NOTIFY pagesChanged)

public:
    explicit CoreModels(GuiQmlHandler *core, QObject *parent = nullptr);

    ElementListModel *settings() { return &_settings; }
    ElementListModel *state() { return &_state; }
    ElementListModel *commands() { return &_commands; }
    ElementListModel *personalization() { return &_personalization; }
    ElementListModel *appSettings() { return &_appSettings; }
    RowListModel *standardCommands() { return &_standardCommands; }
    RowListModel *deviceFiles() { return &_deviceFiles; }
    RowListModel *firmwareFiles() { return &_firmwareFiles; }
    RowListModel *firmwareServerFiles() { return &_firmwareServerFiles; }
    DeviceListModel *devices() { return &_devices; }
    DebugLineModel *debugLines() { return &_debugLines; }
    ComparisonModel *comparison() { return &_comparison; }
    HistoryModel *history() { return &_history; }

    bool settingsPage() const { return _pages & (1 << VkInterfaceElement::SlaveSetting); }
    bool statePage() const { return _pages & (1 << VkInterfaceElement::SlaveState); }
    bool commandsPage() const { return _pages & (1 << VkInterfaceElement::SlaveCommand); }
    bool personalizationPage() const { return _pages & (1 << VkInterfaceElement::PersonalizationInfo); }

    // A group title of the Settings page was clicked: its rows are hidden or shown.
    Q_INVOKABLE void hideGroup(int parentId) { _settings.hideChildren(parentId); }
    Q_INVOKABLE void showGroup(int parentId) { _settings.showChildren(parentId); }

signals:
    void pagesChanged();

private:
    void route(bool isRoot, VkInterfaceElement *element);
    // A row of the application settings page; the console follows its line limit as it changes.
    void appendAppSetting(VkInterfaceElement *element);
    void enablePage(int elementType);
    void setPages(int pages);

    GuiQmlHandler *const _core;
    ElementListModel _settings;
    ElementListModel _state;
    ElementListModel _commands;
    ElementListModel _personalization;
    ElementListModel _appSettings;
    RowListModel _standardCommands;
    RowListModel _deviceFiles;
    RowListModel _firmwareFiles;
    RowListModel _firmwareServerFiles;
    DeviceListModel _devices;
    DebugLineModel _debugLines;
    ComparisonModel _comparison;
    HistoryModel _history;
    // Bits by element kind: the device pages the menu offers.
    int _pages = 0;
};

} // namespace configurator
