#include "configurator/task_catalogue.h"

#include "configurator/app_settings.h"
#include "configurator/application_task.h"

#include <QHash>

namespace configurator {

namespace {

using T = GuiQmlHandler;
using utils::ApplicationTask;

QHash<int, qint64> &timeoutOverrides()
{
    static QHash<int, qint64> overrides;
    return overrides;
}

struct Texts
{
    const char *waiting;
    const char *error; // null: the constructor's default
    const char *timeout;
};

// Texts of the jobs that show them; the other jobs keep the constructor defaults.
Texts textsOf(T::TAppTaskType type)
{
    switch (type) {
    case T::CheckAutoConnect:
        return { QT_TR_NOOP("Password request"), nullptr, QT_TR_NOOP("Timeout for password requesting") };
    case T::ConnectToDevice:
        return { QT_TR_NOOP("Connecting to device"), QT_TR_NOOP("Error while connecting to device"),
            QT_TR_NOOP("Timeout for device connection! Repeat connection") };
    case T::MakeTimeSynchronization:
        return { QT_TR_NOOP("Time synchronization..."), QT_TR_NOOP("Error while time synchronization"),
            QT_TR_NOOP("Timeout while time synchronization") };
    case T::GetApplicationInfo:
        return { QT_TR_NOOP("Get general info about device"),
            QT_TR_NOOP("Error while collecting general info about device"),
            QT_TR_NOOP("Timeout for get general info about device") };
    case T::GetFileInfo:
        return { QT_TR_NOOP("Get info about device's files"), QT_TR_NOOP("Error while get info about device's files"),
            QT_TR_NOOP("Timeout for get info about device's files") };
    case T::GetSlaveProfile:
        return { QT_TR_NOOP("Get device's parameters"), QT_TR_NOOP("Error while get device's parameters"),
            QT_TR_NOOP("Timeout while get device's parameters") };
    case T::GetSettings:
    case T::GetSettingsForStateCopy:
        return { QT_TR_NOOP("Get device's settings"), QT_TR_NOOP("Error while get device's settings"),
            QT_TR_NOOP("Timeout while get device's settings") };
    case T::GetPersonalization:
        return { QT_TR_NOOP("Get device's personalization"), QT_TR_NOOP("Error while get device's personalization"),
            QT_TR_NOOP("Timeout while get device's personalization") };
    case T::GetState:
    case T::GetStateSilent:
        return { QT_TR_NOOP("Get device's state information"), QT_TR_NOOP("Error while get device's state information"),
            QT_TR_NOOP("Timeout while get device's state information") };
    case T::CheckDeviceInitializationDone: return { QT_TR_NOOP("Check for finish device initialization"), "", "" };
    case T::GetDebug: return { QT_TR_NOOP("Get debug..."), "", "" };
    case T::SaveSettings:
        return { QT_TR_NOOP("Save settings..."), QT_TR_NOOP("Error while save settings"),
            QT_TR_NOOP("Timeout while save settings") };
    case T::SavePersonalization:
        return { QT_TR_NOOP("Save personalization parameters..."),
            QT_TR_NOOP("Error while save personalization parameters"),
            QT_TR_NOOP("Timeout while save personalization parameters") };
    case T::ExecuteCommand:
        return { QT_TR_NOOP("Command execution..."), QT_TR_NOOP("Error while command execution"),
            QT_TR_NOOP("Timeout for command execution") };
    case T::MakeDisconnect:
    case T::MakeSilentDisconnect:
        return { QT_TR_NOOP("Disconnecting from device..."), QT_TR_NOOP("Error while disconnecting from device"),
            QT_TR_NOOP("Timeout for disconnecting from device") };
    case T::WaitBootloaderConnectionDelay:
        return { QT_TR_NOOP("Wait to start Bootloader..."), QT_TR_NOOP("Wait to start Bootloader..."),
            QT_TR_NOOP("Wait to start Bootloader...") };
    case T::MakeBleAutoconnect:
    case T::MakeBleAutoconnectForFirmwareUpdate:
        return { QT_TR_NOOP("Autonnect to device via BLE..."), QT_TR_NOOP("Error while autoconnect to device via BLE"),
            QT_TR_NOOP("Timeout for autoconnect to device via BLE") };
    case T::CheckBootloaderConnected:
        return { QT_TR_NOOP("Check for connected to Bootloader..."),
            QT_TR_NOOP("Error while check for connected to Bootloader"),
            QT_TR_NOOP("Timeout while checking for connected to Bootloader") };
    case T::MakeStateCopy:
        return { QT_TR_NOOP("Make state copy..."), QT_TR_NOOP("Error while make state copy"),
            QT_TR_NOOP("Timeout for prepare state copy") };
    case T::SendFirmwareRawFile:
        return { QT_TR_NOOP("Upload file with firmware..."), QT_TR_NOOP("Error while upload file with firmware"),
            QT_TR_NOOP("Timeout while upload file with firmware") };
    case T::GetRawFile:
        return { QT_TR_NOOP("Download file from device..."), QT_TR_NOOP("Error while downloading file from device"),
            QT_TR_NOOP("Timeout for downloading file from device") };
    case T::ClearRawFile:
        return { QT_TR_NOOP("Clear file from device..."), QT_TR_NOOP("Error while clearing file from device"),
            QT_TR_NOOP("Timeout for clearing file from device") };
    default: return { nullptr, nullptr, nullptr };
    }
}

qint64 timeoutOf(T::TAppTaskType type)
{
    switch (type) {
    case T::CheckAutoConnect: return 30000;
    case T::ConnectToDevice:
    case T::MakeBleDiscovery:
    case T::MakeBleDiscoveryForFirmwareUpdate: return 300000;
    case T::CheckDeviceInitializationDone: return 3000;
    case T::GetDebug: return 10000;
    case T::MakeStateCopy: return 60000;
    case T::WaitBootloaderConnectionDelay: return AppSettings::bootloaderConnectionDelayMs();
    default: return 20000;
    }
}

QString translated(const char *text)
{
    return ApplicationTask::tr(text);
}

} // namespace

ApplicationTask *makeApplicationTask(GuiQmlHandler::TAppTaskType type, QObject *parent)
{
    if (int(type) < 0 || int(type) > int(T::ClearRawFile))
        return nullptr;
    qint64 timeout = timeoutOf(type);
    const auto overridden = timeoutOverrides().constFind(int(type));
    if (overridden != timeoutOverrides().cend())
        timeout = overridden.value();

    ApplicationTask *task = nullptr;
    switch (type) {
    case T::MakeBleDiscovery:
    case T::MakeBleDiscoveryForFirmwareUpdate:
        task = new ApplicationTask(int(type), true, false, timeout, parent);
        break;
    case T::CheckConnectedDeviceReadyForFirmwareUpdate:
    case T::CheckBootloaderConnectedForFirmwareUpdate:
        task = new ApplicationTask(int(type), true, true, timeout, parent);
        break;
    default: {
        const Texts texts = textsOf(type);
        task = texts.error
            ? new ApplicationTask(int(type), translated(texts.waiting), translated(texts.error),
                translated(texts.timeout), timeout, parent)
            : new ApplicationTask(int(type), translated(texts.waiting), translated(texts.timeout), timeout, parent);
    }
    }
    switch (type) {
    case T::CheckDeviceInitializationDone: task->setPassImmediately(true); break;
    case T::GetDebug:
        task->setSilent(true);
        task->setTimeoutIsNormal(true);
        break;
    case T::GetStateSilent: task->setSilent(true); break;
    case T::WaitBootloaderConnectionDelay: task->setTimeoutIsNormal(true); break;
    default: break;
    }
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
