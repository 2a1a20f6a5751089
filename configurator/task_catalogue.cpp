#include "configurator/task_catalogue.h"

#include "configurator/app_settings.h"
#include "configurator/application_task.h"

#include <QHash>

#include <array>

namespace configurator {

namespace {

using utils::ApplicationTask;

QHash<int, qint64> &timeoutOverrides()
{
    static QHash<int, qint64> overrides;
    return overrides;
}

constexpr qint64 kTimeoutFromSettings = -1;

} // namespace

const GuiQmlHandler::TaskRow *GuiQmlHandler::taskRow(int type)
{
    using G = GuiQmlHandler;
    using R = TaskRow;
    using E = TaskEnd;
    constexpr int transfer = R::ClosesProgress | R::ReportsProgress;
    // One row per job type, in the order of the enumeration.
    static const std::array<TaskRow, 30> rows { {
        { CheckAutoConnect, QT_TR_NOOP("Password request"), nullptr, QT_TR_NOOP("Timeout for password requesting"),
            30000, 0, E::Password, &G::_taskCheckAutoConnect },
        { ConnectToDevice, QT_TR_NOOP("Connecting to device"), QT_TR_NOOP("Error while connecting to device"),
            QT_TR_NOOP("Timeout for device connection! Repeat connection"), 300000, 0, E::Authentication,
            &G::_taskConnectToDevice },
        { MakeTimeSynchronization, QT_TR_NOOP("Time synchronization..."), QT_TR_NOOP("Error while time synchronization"),
            QT_TR_NOOP("Timeout while time synchronization"), 20000, 0, E::CommandConfirm,
            &G::_taskMakeTimeSynchronization },
        { GetApplicationInfo, QT_TR_NOOP("Get general info about device"),
            QT_TR_NOOP("Error while collecting general info about device"),
            QT_TR_NOOP("Timeout for get general info about device"), 20000, transfer, E::ApplicationInfo,
            &G::_taskGetApplicationInfo },
        { GetFileInfo, QT_TR_NOOP("Get info about device's files"), QT_TR_NOOP("Error while get info about device's files"),
            QT_TR_NOOP("Timeout for get info about device's files"), 20000, transfer, E::FileTable,
            &G::_taskGetFileInfo },
        { GetSlaveProfile, QT_TR_NOOP("Get device's parameters"), QT_TR_NOOP("Error while get device's parameters"),
            QT_TR_NOOP("Timeout while get device's parameters"), 20000, transfer, E::SlaveProfile,
            &G::_taskGetSlaveProfile },
        { GetSettings, QT_TR_NOOP("Get device's settings"), QT_TR_NOOP("Error while get device's settings"),
            QT_TR_NOOP("Timeout while get device's settings"), 20000, transfer, E::DataElements, &G::_taskGetSettings },
        { GetPersonalization, QT_TR_NOOP("Get device's personalization"),
            QT_TR_NOOP("Error while get device's personalization"),
            QT_TR_NOOP("Timeout while get device's personalization"), 20000, transfer, E::DataElements,
            &G::_taskGetPersonalization },
        { GetState, QT_TR_NOOP("Get device's state information"),
            QT_TR_NOOP("Error while get device's state information"),
            QT_TR_NOOP("Timeout while get device's state information"), 20000, transfer, E::DataElements,
            &G::_taskGetState },
        { CheckDeviceInitializationDone, QT_TR_NOOP("Check for finish device initialization"), "", "", 3000,
            R::PassImmediately, E::Itself, &G::_taskCheckDeviceInitializationDone },
        { GetDebug, QT_TR_NOOP("Get debug..."), "", "", 10000, R::Silent | R::TimeoutIsNormal, E::DebugResponse,
            &G::_taskGetDebug },
        { GetStateSilent, QT_TR_NOOP("Get device's state information"),
            QT_TR_NOOP("Error while get device's state information"),
            QT_TR_NOOP("Timeout while get device's state information"), 20000, R::Silent | transfer, E::DataElements,
            &G::_taskGetStateSilent },
        { SaveSettings, QT_TR_NOOP("Save settings..."), QT_TR_NOOP("Error while save settings"),
            QT_TR_NOOP("Timeout while save settings"), 20000, transfer, E::DataElementsSent, &G::_taskSaveSettings },
        { SavePersonalization, QT_TR_NOOP("Save personalization parameters..."),
            QT_TR_NOOP("Error while save personalization parameters"),
            QT_TR_NOOP("Timeout while save personalization parameters"), 20000, transfer, E::DataElementsSent,
            &G::_taskSavePersonalization },
        { ExecuteCommand, QT_TR_NOOP("Command execution..."), QT_TR_NOOP("Error while command execution"),
            QT_TR_NOOP("Timeout for command execution"), 20000, 0, E::CommandConfirm, &G::_taskExecuteCommand },
        { MakeDisconnect, QT_TR_NOOP("Disconnecting from device..."), QT_TR_NOOP("Error while disconnecting from device"),
            QT_TR_NOOP("Timeout for disconnecting from device"), 20000, 0, E::Disconnected, &G::_taskMakeDisconnect },
        { MakeSilentDisconnect, QT_TR_NOOP("Disconnecting from device..."),
            QT_TR_NOOP("Error while disconnecting from device"), QT_TR_NOOP("Timeout for disconnecting from device"),
            20000, R::EndsSilentDisconnect, E::Disconnected, &G::_taskMakeSilentDisconnect },
        { WaitBootloaderConnectionDelay, QT_TR_NOOP("Wait to start Bootloader..."),
            QT_TR_NOOP("Wait to start Bootloader..."), QT_TR_NOOP("Wait to start Bootloader..."), kTimeoutFromSettings,
            R::TimeoutIsNormal, E::Itself, &G::_taskWaitBootloaderConnectionDelay },
        { MakeBleAutoconnect, QT_TR_NOOP("Autonnect to device via BLE..."),
            QT_TR_NOOP("Error while autoconnect to device via BLE"),
            QT_TR_NOOP("Timeout for autoconnect to device via BLE"), 20000, R::StopsDiscovery, E::DeviceSeen,
            &G::_taskMakeBleAutoconnect },
        { CheckBootloaderConnected, QT_TR_NOOP("Check for connected to Bootloader..."),
            QT_TR_NOOP("Error while check for connected to Bootloader"),
            QT_TR_NOOP("Timeout while checking for connected to Bootloader"), 20000, 0, E::Itself,
            &G::_taskCheckBootloaderConnected },
        { MakeBleDiscovery, nullptr, nullptr, nullptr, 300000, R::Silent | R::StopsDiscovery, E::DevicePicked,
            &G::_taskMakeBleDiscovery },
        { GetSettingsForStateCopy, QT_TR_NOOP("Get device's settings"), QT_TR_NOOP("Error while get device's settings"),
            QT_TR_NOOP("Timeout while get device's settings"), 20000, R::ClosesProgress, E::DataElements,
            &G::_taskGetSettingsForStateCopy },
        { MakeStateCopy, QT_TR_NOOP("Make state copy..."), QT_TR_NOOP("Error while make state copy"),
            QT_TR_NOOP("Timeout for prepare state copy"), 60000, 0, E::Itself, &G::_taskMakeStateCopy },
        { MakeBleDiscoveryForFirmwareUpdate, nullptr, nullptr, nullptr, 300000, R::Silent | R::StopsDiscovery,
            E::DevicePicked, &G::_taskMakeBleDiscoveryForFirmwareUpdate },
        { CheckConnectedDeviceReadyForFirmwareUpdate, nullptr, nullptr, nullptr, 20000,
            R::Silent | R::PassImmediately, E::Itself, &G::_taskCheckConnectedDeviceReadyForFirmwareUpdate },
        { MakeBleAutoconnectForFirmwareUpdate, QT_TR_NOOP("Autonnect to device via BLE..."),
            QT_TR_NOOP("Error while autoconnect to device via BLE"),
            QT_TR_NOOP("Timeout for autoconnect to device via BLE"), 20000, R::StopsDiscovery, E::DeviceSeen,
            &G::_taskMakeBleAutoconnectForFirmwareUpdate },
        { CheckBootloaderConnectedForFirmwareUpdate, nullptr, nullptr, nullptr, 20000, R::Silent | R::PassImmediately,
            E::Itself, &G::_taskCheckBootloaderConnectedForFirmwareUpdate },
        { SendFirmwareRawFile, QT_TR_NOOP("Upload file with firmware..."),
            QT_TR_NOOP("Error while upload file with firmware"), QT_TR_NOOP("Timeout while upload file with firmware"),
            20000, transfer, E::FirmwareSent, &G::_taskSendFirmwareRawFile },
        { GetRawFile, QT_TR_NOOP("Download file from device..."), QT_TR_NOOP("Error while downloading file from device"),
            QT_TR_NOOP("Timeout for downloading file from device"), 20000, transfer, E::RawFile, &G::_taskGetRawFile },
        { ClearRawFile, QT_TR_NOOP("Clear file from device..."), QT_TR_NOOP("Error while clearing file from device"),
            QT_TR_NOOP("Timeout for clearing file from device"), 20000, 0, E::FileCleared, &G::_taskClearRawFile },
    } };
    if (type < 0 || type >= int(rows.size()))
        return nullptr;
    const TaskRow &row = rows[size_t(type)];
    Q_ASSERT(row.type == type);
    return &row;
}

ApplicationTask *makeApplicationTask(GuiQmlHandler::TAppTaskType type, QObject *parent)
{
    using R = GuiQmlHandler::TaskRow;
    const R *row = GuiQmlHandler::taskRow(type);
    if (!row)
        return nullptr;
    qint64 timeout = row->timeoutMs == kTimeoutFromSettings ? AppSettings::bootloaderConnectionDelayMs() : row->timeoutMs;
    const auto overridden = timeoutOverrides().constFind(int(type));
    if (overridden != timeoutOverrides().cend())
        timeout = overridden.value();
    // The texts are marked in the catalogue's rows above, in the core's translation context.
    const auto translated = [](const char *text) { return GuiQmlHandler::tr(text); };
    ApplicationTask *task = nullptr;
    if (!row->waiting)
        task = new ApplicationTask(int(type), row->has(R::Silent), row->has(R::PassImmediately), timeout, parent);
    else if (!row->error)
        task = new ApplicationTask(
            int(type), translated(row->waiting), translated(row->timeoutText), timeout, parent);
    else
        task = new ApplicationTask(int(type), translated(row->waiting), translated(row->error),
            translated(row->timeoutText), timeout, parent);
    task->setSilent(row->has(R::Silent));
    task->setPassImmediately(row->has(R::PassImmediately));
    task->setTimeoutIsNormal(row->has(R::TimeoutIsNormal));
    return task;
}

void overrideTaskTimeout(GuiQmlHandler::TAppTaskType type, qint64 timeoutMs)
{
    if (timeoutMs < 0)
        timeoutOverrides().remove(int(type));
    else
        timeoutOverrides().insert(int(type), timeoutMs);
}

} // namespace configurator
